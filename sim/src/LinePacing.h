// The timing of an RS-232 line: ten bits a byte at the set baud rate, both ways.
#pragma once

#include "Delivery.h"

#include <sim/SimulatedSensor.h>

#include <chrono>
#include <cstddef>
#include <vector>

namespace sim {

using Clock = std::chrono::steady_clock;

// How long a number of bytes take on the line.
class LineSpeed {
public:
    explicit LineSpeed(const LineTiming& timing);
    Clock::duration of(std::size_t bytes) const;

private:
    long long m_baud;
};

// When the bytes the tool wrote have come down the line: one after the other, each no
// earlier than it was read.
class ArrivalClock {
public:
    explicit ArrivalClock(LineSpeed speed) : m_speed(speed) {}
    Clock::time_point arrive(Clock::time_point readAt);

private:
    Clock::time_point lastArrival() const;

    LineSpeed m_speed;
    // Counted from the start of a run of back-to-back bytes, so no rounding accumulates.
    Clock::time_point m_runStart;
    std::size_t m_runBytes = 0;
};

// When each byte of a reply that starts at start is due on the tool's side.
std::vector<Clock::time_point> replySchedule(const LineSpeed& speed, Clock::time_point start,
                                             const Delivery& delivery);

} // namespace sim
