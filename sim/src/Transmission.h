// A reply being written: its bytes, when each is due, and how far writing has got.
#pragma once

#include "LinePacing.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sim {

class Transmission {
public:
    Transmission(std::vector<std::uint8_t> bytes, std::vector<Clock::time_point> due);

    bool finished() const { return m_sent == m_bytes.size(); }
    std::size_t unsent() const { return m_bytes.size() - m_sent; }
    Clock::time_point nextDue() const { return m_due[m_sent]; }
    // When the last byte is due: the line is free for the next reply from then on.
    Clock::time_point end() const { return m_due.back(); }
    // The unsent bytes that are due by now.
    std::span<const std::uint8_t> dueBy(Clock::time_point now) const;
    void markSent(std::size_t count) { m_sent += count; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<Clock::time_point> m_due;
    std::size_t m_sent = 0;
};

} // namespace sim
