#include "ComPort.h"

#include "LineTime.h"
#include "LinkEventHooks.h"
#include "SerialState.h"
#include "TextReply.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace platform {

namespace {

// The sync word and the order word.
constexpr int kReplyHeaderBytes = 4;

} // namespace

ComPort::ComPort(int number) : m_number(number) {
    // The signal only queues a check: the notification itself must not run inside a read
    // or a wait of the program's, which emit readyRead synchronously.
    for (Transport* line : {static_cast<Transport*>(&m_tty), static_cast<Transport*>(&m_socket)}) {
        connect(line, &Transport::readyRead, this, &ComPort::queueNotificationCheck);
        connect(line, &Transport::lost, this, &ComPort::onLost);
        connect(line, &Transport::advice, this,
                [this](const QString& text) { report(PortEventKind::Advice, {}, 0, text); });
        // Watched again, the device goes on.
        connect(
            line, &Transport::stillThere, this, [this] { settle(); }, Qt::QueuedConnection);
    }
    connect(&m_restTimer, &PreciseTimer::timeout, this, &ComPort::endRest);
}

int ComPort::open(const QString& device, qint32 baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize) {
    close();
    m_inputCapacity = std::max(inputQueueSize, 1);
    m_lost = false;
    m_frameOnItsWay = false;
    m_flushedAt = Clock::now();
    m_wakeThreshold = 0;
    m_armed = true;
    m_device = device;
    m_line = isNetworkPort(device) ? static_cast<Transport*>(&m_socket) : &m_tty;
    QString cause;
    const int opened = m_line->open(device, {baudRate, parity, dataBits, stopBits, m_inputCapacity},
                                    m_timeout, cause);
    if (opened < 0) {
        report(PortEventKind::OpenFailed, {}, 0, cause);
        close();
        return opened;
    }
    m_baudRate = baudRate;
    m_bitsPerByte = bitsPerByte(dataBits, parity, stopBits);
    // A new line: its lateness is learnt afresh, and is allowed for up to a byte's line time.
    m_allowance = ArrivalAllowance(lineTime(1));
    report(PortEventKind::Opened);
    return 0;
}

void ComPort::close() {
    m_restTimer.stop();
    m_line->close();
    m_input.clear();
    m_callback = nullptr;
}

void ComPort::setHardwareHandshake(bool on) {
    m_line->setHardwareHandshake(on);
}

void ComPort::installCallback(int eventMask, int notifyCount, ComCallbackPtr callback, void* data) {
    m_eventMask = eventMask;
    m_notifyCount = std::max(notifyCount, 1);
    m_callback = eventMask != 0 ? callback : nullptr;
    m_callbackData = data;
    m_armed = true;
    settle();
    // Bytes may be waiting already.
    queueNotificationCheck();
}

int ComPort::write(const char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    // What has come in since a flush cannot answer this request either. Without a flush,
    // what is waiting stays: whether it counts is the sender's to say.
    if (m_flushedSinceRequest)
        drop(std::exchange(m_input, {}));
    else
        pull(std::chrono::milliseconds(0));
    m_flushedSinceRequest = false;
    const Clock::time_point start = Clock::now();
    const qint64 queued = m_line->write(data, count);
    if (queued < 0)
        return kComErrIo;
    report(PortEventKind::Sent, QByteArray(data, static_cast<int>(queued)));
    m_earlierReplyDue = m_replyUnread && Toolkit::current()->replyWait().waitedFor() &&
                        start < m_requestLeftLine + m_timeout;
    m_replyHeader = count == m_notifyCount && count >= kReplyHeaderBytes
                        ? QByteArray(data, kReplyHeaderBytes)
                        : QByteArray();
    m_textAwaited = asksForText(QByteArrayView(data, count));
    m_replyUnread = !m_replyHeader.isEmpty();
    // Qt holds written bytes until the event loop runs; push them out now.
    m_line->flush();
    const QDeadlineTimer deadline(m_timeout);
    while (m_line->bytesToWrite() > 0 && !deadline.hasExpired() && usable())
        m_line->waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    m_requestLeftLine = start + lineTime(static_cast<int>(queued));
    dropUntil(m_requestLeftLine);
    m_receivedWhenLeft = m_received;
    m_frameOnItsWay = true;
    settle();
    Toolkit::current()->replyWait().requestWritten(m_number);
    return static_cast<int>(queued);
}

int ComPort::read(char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    if (count <= 0)
        return 0;
    settle();
    skipAheadOfText();
    const QDeadlineTimer deadline(m_timeout);
    while (m_input.size() < count && !deadline.hasExpired() && usable()) {
        pull(std::chrono::milliseconds(deadline.remainingTime()));
        skipAheadOfText();
    }
    const auto got = std::min<qsizetype>(count, m_input.size());
    std::memcpy(data, m_input.constData(), static_cast<size_t>(got));
    report(PortEventKind::Received, m_input.first(got), count, {}, readsMalformedFrame(count));
    if (got > 0) {
        Toolkit::current()->replyWait().replyRead(m_number);
        m_textAwaited = false;
        m_replyUnread = false;
    }
    m_input.remove(0, got);
    settle();
    return static_cast<int>(got);
}

int ComPort::inputQueueLength() {
    if (!usable())
        return kComErrPortNotOpen;
    Toolkit::current()->replyWait().polled();
    pull(std::chrono::milliseconds(0));
    if (m_received == m_receivedWhenAsked) {
        Toolkit::current()->dispatcher().beforeBlockingWait();
        pull(EventDispatcher::kLongestSleep);
    }
    skipAheadOfText();
    m_receivedWhenAsked = m_received;
    if (!m_line->isOpen())
        return kComErrPortNotOpen;
    // A byte that trails the text is counted no more than one that trails a frame.
    return static_cast<int>(m_textAwaited ? std::min(m_input.size(), kTextReplyBytes)
                                          : m_input.size());
}

void ComPort::flushInput() {
    if (!usable())
        return;
    m_input += takeFromQt();
    drop(std::exchange(m_input, {}));
    m_line->clearInput();
    m_flushedSinceRequest = true;
    m_flushedAt = Clock::now();
    settle();
}

void ComPort::flushOutput() {
    if (!usable())
        return;
    m_line->clearOutput();
}

void ComPort::waitForInput(std::chrono::milliseconds wait) {
    // A read or a count wants every byte there is, not only whole frames.
    setWakeThreshold(0);
    m_line->waitForReadyRead(static_cast<int>(std::max<qint64>(wait.count(), 0)));
}

void ComPort::pull(std::chrono::milliseconds wait) {
    waitForInput(wait);
    settle();
}

QByteArray ComPort::takeFromQt() {
    // Only what Qt holds: reading past it makes Qt set up its read notification afresh,
    // which costs more than the rest of a frame's handling.
    const qint64 taken = std::min(m_line->bytesAvailable(), m_inputCapacity - m_input.size());
    return taken > 0 ? m_line->read(taken) : QByteArray();
}

void ComPort::settle() {
    if (!m_line->isOpen())
        return;
    const QByteArray taken = takeFromQt();
    m_received += taken.size();
    m_input += taken;
    m_frameOnItsWay = m_frameOnItsWay || !taken.isEmpty();
    restUntilDue(missingForNotification());
    if (static_cast<int>(m_input.size()) < m_notifyCount)
        m_armed = true;
}

void ComPort::endRest() {
    const bool complete = restUntilDue(missingForNotification(), true) <= 0;
    m_allowance.restEnded(complete);
    // The frame is there: taken now, it is handled in this round of the event loop.
    if (complete)
        m_line->waitForReadyRead(0);
}

int ComPort::restUntilDue(int missing, bool afterRest) {
    // Bytes the device holds already count, and one may be on its way; but no more than the
    // line can have brought since the last flush. A device that floods the line refills it at
    // once, and would otherwise be read again and again, as fast as it sends.
    const int queued = missing > 0 ? std::min(m_line->queuedBytes(), broughtSinceFlush()) : 0;
    const int toCome = missing > 0 ? missing - queued : 0;
    if (afterRest && toCome >= m_toComeWhenRested)
        m_frameOnItsWay = false;
    const Clock::time_point now = Clock::now();
    // The reply's bytes that have come since its request left the line took their line time,
    // and the missing ones take theirs after them. A device faster than its line (a
    // pseudo-terminal) rests no longer than the missing bytes' line time.
    const auto replyBytes = static_cast<int>(m_received - m_receivedWhenLeft) + missing;
    const Clock::time_point due =
        std::clamp(m_requestLeftLine + lineTime(replyBytes), now + lineTime(toCome - 1),
                   now + lineTime(std::max(toCome, 0)));
    const bool resting = m_frameOnItsWay && toCome > 0 && due > now;
    QSocketNotifier* notifier = m_line->readNotifier();
    if (!notifier) {
        // The device wakes the event loop itself once the bytes have come, a little after
        // their line time (a network server forwards them); a bounded wait that would end
        // just before them waits for them instead.
        if (Toolkit* toolkit = Toolkit::current(); toolkit && resting)
            toolkit->dispatcher().expectWakeAt(due + lineTime(1));
        watchFor(missing, toCome, queued);
        return toCome;
    }
    notifier->setEnabled(!resting);
    if (resting) {
        m_toComeWhenRested = toCome;
        const Clock::time_point end = due + m_allowance.allowance();
        m_restTimer.start(end - now);
        if (Toolkit* toolkit = Toolkit::current())
            toolkit->dispatcher().expectWakeAt(end);
        return toCome;
    }
    m_restTimer.stop();
    watchFor(missing, toCome, queued);
    return toCome;
}

void ComPort::watchFor(int missing, int toCome, int queued) {
    // Watched: the device wakes the event loop once the bytes still missing for the notify
    // count have come, not for every byte of a frame. Where they have come, any threshold
    // they reach will do.
    if (toCome > 0 || m_wakeThreshold > queued)
        setWakeThreshold(std::max(missing, 0));
}

int ComPort::broughtSinceFlush() const {
    const Clock::duration since = Clock::now() - m_flushedAt;
    const Clock::duration perByte = lineTime(1);
    return static_cast<int>(std::min<Clock::rep>(since / perByte + 1, m_inputCapacity));
}

int ComPort::missingForNotification() const {
    const bool notifying = m_callback && (m_eventMask & kComEventNotifyCount);
    return notifying ? m_notifyCount - static_cast<int>(m_input.size()) : 0;
}

bool ComPort::watchesDevice() const {
    const QSocketNotifier* notifier = m_line->readNotifier();
    return !notifier || notifier->isEnabled();
}

void ComPort::setWakeThreshold(int bytes) {
    if (bytes != m_wakeThreshold && m_line->setWakeThreshold(bytes))
        m_wakeThreshold = bytes;
}

void ComPort::dropUntil(Clock::time_point requestLeftLine) {
    // Every stray byte wakes the wait.
    setWakeThreshold(0);
    qsizetype dropped = 0;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= requestLeftLine || !usable())
            return;
        if (dropped > m_inputCapacity) {
            // More than a queue's worth while a request is on the line: no sensor answers like
            // that. Rather than read the flood, let it wait in the device and discard it there
            // once the request has left.
            std::this_thread::sleep_until(requestLeftLine);
            m_line->clearInput();
            return;
        }
        // All that Qt has read came in before now, while the request was still on the line.
        // What comes later is left alone: it may be the reply.
        const QByteArray taken = takeFromQt();
        dropped += taken.size();
        drop(taken);
        if (m_line->waitForInput(requestLeftLine - now))
            m_line->waitForReadyRead(0);
    }
}

ComPort::Clock::duration ComPort::lineTime(int bytes) const {
    return std::chrono::duration_cast<Clock::duration>(
        platform::lineTime(bytes, m_bitsPerByte, m_baudRate));
}

bool ComPort::usable() {
    if (m_lost && m_line->isOpen()) {
        close();
        report(PortEventKind::Gone, {}, 0, m_lostCause);
    }
    return m_line->isOpen();
}

void ComPort::drop(const QByteArray& bytes) {
    if (!bytes.isEmpty())
        report(PortEventKind::Dropped, bytes);
}

void ComPort::report(PortEventKind kind, const QByteArray& bytes, int expected,
                     const QString& cause, bool malformed) const {
    if (hasPortHooks())
        notifyPortEvent({kind, m_number, m_device, bytes, expected, cause, malformed});
}

void ComPort::reportUnanswered() const {
    report(PortEventKind::Unanswered);
}

void ComPort::onLost(const QString& cause) {
    if (m_lost)
        return;
    m_lost = true;
    m_lostCause = cause;
    // Closing here would delete what is reporting it.
    QMetaObject::invokeMethod(
        this, [this] { usable(); }, Qt::QueuedConnection);
}

void ComPort::queueNotificationCheck() {
    if (m_checkQueued || !m_callback)
        return;
    m_checkQueued = true;
    // Looked up when dispatched: the port may have gone in the meantime.
    const int number = m_number;
    Toolkit::current()->dispatcher().post([number] {
        if (SerialState* serial = SerialState::current())
            if (ComPort* port = serial->ports().find(number))
                port->notifyIfDue();
    });
}

void ComPort::skipToReplyHeader() {
    if (m_replyHeader.isEmpty() || m_input.size() < m_notifyCount ||
        m_input.startsWith(m_replyHeader))
        return;
    const qsizetype at = m_input.indexOf(m_replyHeader, 1);
    if (at < 0)
        return;
    report(PortEventKind::Skipped, m_input.first(at));
    m_input.remove(0, at);
    settle();
}

void ComPort::skipAheadOfText() {
    if (!m_textAwaited)
        return;
    const qsizetype stray = strayAheadOfText(m_input);
    if (stray == 0)
        return;
    report(PortEventKind::Skipped, m_input.first(stray));
    m_input.remove(0, stray);
    settle();
}

bool ComPort::headerMayFollow() const {
    return m_earlierReplyDue && !m_replyHeader.isEmpty() && !m_input.startsWith(m_replyHeader) &&
           m_input.size() < 2 * m_notifyCount;
}

bool ComPort::readsMalformedFrame(int count) const {
    return count == m_notifyCount && !m_replyHeader.isEmpty() && m_input.size() >= count &&
           !m_input.startsWith(m_replyHeader);
}

void ComPort::notifyIfDue() {
    m_checkQueued = false;
    if (!m_callback || !usable())
        return;
    settle();
    skipToReplyHeader();
    if (headerMayFollow())
        return;
    if (m_input.size() < m_notifyCount || !m_armed || !(m_eventMask & kComEventNotifyCount))
        return;
    m_armed = false;
    m_callback(m_number, kComEventNotifyCount, m_callbackData);
    settle();
    // Bytes that arrived while the handler ran and refilled the queue raise it again.
    if (m_armed && m_line->isOpen() && m_input.size() >= m_notifyCount)
        queueNotificationCheck();
}

} // namespace platform
