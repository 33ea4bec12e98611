#include "LinePacing.h"

namespace sim {

namespace {

constexpr long long kBitsPerByte = 10;

} // namespace

LineSpeed::LineSpeed(const LineTiming& timing) : m_baud(timing.baud) {}

Clock::duration LineSpeed::of(std::size_t bytes) const {
    const std::chrono::nanoseconds perSecond = std::chrono::seconds(1);
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * kBitsPerByte *
                                    perSecond.count() / m_baud);
}

Clock::time_point ArrivalClock::arrive(Clock::time_point readAt) {
    if (m_runBytes == 0 || readAt > lastArrival()) {
        m_runStart = readAt;
        m_runBytes = 0;
    }
    ++m_runBytes;
    return lastArrival();
}

Clock::time_point ArrivalClock::lastArrival() const {
    return m_runStart + m_speed.of(m_runBytes);
}

std::vector<Clock::time_point> replySchedule(const LineSpeed& speed, Clock::time_point start,
                                             const Delivery& delivery) {
    std::vector<Clock::time_point> due;
    due.reserve(delivery.bytes.size());
    for (std::size_t k = 0; k < delivery.bytes.size(); ++k) {
        const std::size_t pauses = delivery.pieceSize > 0 ? k / delivery.pieceSize : 0;
        const auto trailing = k >= delivery.extraFrom ? delivery.extraAfter : Clock::duration{};
        due.push_back(start + speed.of(k + 1) +
                      static_cast<long long>(pauses) * delivery.piecePause + trailing);
    }
    return due;
}

} // namespace sim
