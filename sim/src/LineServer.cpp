#include "LineServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <span>
#include <utility>

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::size_t kReadChunk = 256;
constexpr std::size_t kFloodChunk = 4096;

// How many bytes the line took; a broken line swallows them, as a wire with nobody on
// the other end does.
std::size_t writeToLine(int fd, std::span<const std::uint8_t> bytes) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written >= 0)
        return static_cast<std::size_t>(written);
    return errno == EAGAIN || errno == EINTR ? 0 : bytes.size();
}

timespec timeoutUntil(Clock::time_point deadline) {
    const auto left = std::max(deadline - Clock::now(), Clock::duration::zero());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    timespec timeout{};
    timeout.tv_sec = seconds.count();
    timeout.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count();
    return timeout;
}

} // namespace

std::unique_ptr<LineServer> LineServer::start(SensorState& state, const LineTiming& timing) {
    auto pty = Pty::open();
    if (!pty)
        return nullptr;
    std::unique_ptr<LineServer> server(new LineServer(state, timing, std::move(*pty)));
    if (!server->m_wake.valid())
        return nullptr;
    server->m_thread = std::thread([raw = server.get()] { raw->run(); });
    return server;
}

LineServer::LineServer(SensorState& state, const LineTiming& timing, Pty pty)
    : m_state(state), m_speed(timing), m_turnaround(timing.turnaround), m_pty(std::move(pty)),
      m_arrivals(m_speed) {}

LineServer::~LineServer() {
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_wake.wake();
    m_thread.join();
}

void LineServer::run() {
    // The default slack of 50 us would make each reply's last byte late by that much.
    prctl(PR_SET_TIMERSLACK, 1UL);
    // A real line does not wait for a scheduler; where allowed, the line's thread runs ahead
    // of ordinary threads so that it wakes when a byte is due. Without the right, it runs as
    // it is.
    const sched_param realTime{.sched_priority = 1};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime);
    while (!m_stopping) {
        const auto now = Clock::now();
        completeArrivals(now);
        if (m_allInRead != m_allInAnswered && m_onTheLine.empty())
            m_state.allIn(m_allInAnswered = m_allInRead);
        waitForLine(!serviceOutput(now));
    }
}

// The sensor acts on a request as soon as it has arrived; only its reply may have to wait
// for the line.
void LineServer::completeArrivals(Clock::time_point now) {
    const std::chrono::duration<double> sinceStart = now - m_startedAt;
    while (!m_onTheLine.empty() && m_onTheLine.front().complete <= now) {
        const Request& request = m_onTheLine.front();
        if (auto delivery = m_state.receive(request.frame, sinceStart.count()))
            m_answers.push_back({std::move(*delivery), request.complete});
        m_onTheLine.pop_front();
    }
}

bool LineServer::serviceOutput(Clock::time_point now) {
    if (!flushRaw())
        return false;
    if (m_state.flooding()) {
        // The line is never free: wait until it takes more.
        flood();
        return false;
    }
    while (true) {
        if (!m_reply) {
            if (m_answers.empty())
                return true;
            startReply(std::move(m_answers.front()));
            m_answers.pop_front();
        }
        const auto due = m_reply->dueBy(now);
        const std::size_t written = writeReplyBytes(due);
        m_reply->markSent(written);
        if (written < due.size())
            return false;
        if (!m_reply->finished())
            return true;
        m_lineFreeAt = m_reply->end();
        m_reply.reset();
    }
}

bool LineServer::flushRaw() {
    const auto fresh = m_state.takeRaw();
    m_raw.insert(m_raw.end(), fresh.begin(), fresh.end());
    if (m_raw.empty())
        return true;
    const std::size_t written = writeToLine(m_pty.master(), m_raw);
    m_raw.erase(m_raw.begin(), m_raw.begin() + static_cast<long>(written));
    return m_raw.empty();
}

void LineServer::flood() {
    // Counting bytes: no sync word followed by an order word among them.
    static const auto chunk = [] {
        std::array<std::uint8_t, kFloodChunk> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i);
        return bytes;
    }();
    m_state.countFlooded(writeToLine(m_pty.master(), chunk));
}

// A reply starts once its request has arrived and the previous reply is out, both in line
// time rather than in when this thread got round to it, so a late wake-up does not add up.
void LineServer::startReply(Answer answer) {
    const auto start =
        std::max(answer.requestComplete, m_lineFreeAt) + m_turnaround + answer.delivery.delay;
    auto due = replySchedule(m_speed, start, answer.delivery);
    m_reply.emplace(std::move(answer.delivery.bytes), std::move(due));
}

std::size_t LineServer::writeReplyBytes(std::span<const std::uint8_t> due) {
    if (due.empty())
        return 0;
    const auto write = [&] { return writeToLine(m_pty.master(), due); };
    return due.size() == m_reply->unsent() ? m_state.finishReply(due.size(), write) : write();
}

void LineServer::waitForLine(bool blocked) {
    std::optional<Clock::time_point> deadline;
    if (!m_onTheLine.empty())
        deadline = m_onTheLine.front().complete;
    if (m_reply && !blocked)
        deadline = std::min(deadline.value_or(Clock::time_point::max()), m_reply->nextDue());

    std::array<pollfd, 2> fds{{{.fd = m_pty.master(),
                                .events = static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)),
                                .revents = 0},
                               {.fd = m_wake.fd(), .events = POLLIN, .revents = 0}}};
    // ppoll, because poll's milliseconds would make every byte late by up to one.
    timespec timeout{};
    if (deadline)
        timeout = timeoutUntil(*deadline);
    const bool ready = ppoll(fds.data(), fds.size(), deadline ? &timeout : nullptr, nullptr) > 0;
    if (ready && fds[1].revents != 0)
        m_wake.drain();
    // Asked before this read began, so what was written before the ask is read now.
    const std::uint64_t asked = m_state.allInAsked();
    if ((ready && (fds[0].revents & POLLIN) != 0) || asked != m_allInRead) {
        readRequests();
        m_allInRead = asked;
    }
}

void LineServer::readRequests() {
    std::array<std::uint8_t, kReadChunk> chunk{};
    ssize_t count = 0;
    while ((count = read(m_pty.master(), chunk.data(), chunk.size())) > 0) {
        const auto readAt = Clock::now();
        for (const std::uint8_t byte : std::span(chunk).first(static_cast<std::size_t>(count))) {
            const auto arrived = m_arrivals.arrive(readAt);
            if (const auto frame = m_framer.push(byte))
                m_onTheLine.push_back({*frame, arrived});
        }
    }
}

} // namespace sim
