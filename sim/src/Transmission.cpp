#include "Transmission.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <utility>

namespace sim {

Transmission::Transmission(std::vector<std::uint8_t> bytes, std::vector<Clock::time_point> due)
    : m_bytes(std::move(bytes)), m_due(std::move(due)) {
    assert(!m_bytes.empty() && m_bytes.size() == m_due.size());
}

std::span<const std::uint8_t> Transmission::dueBy(Clock::time_point now) const {
    const auto firstUnsent = m_due.begin() + static_cast<std::ptrdiff_t>(m_sent);
    const auto firstLater = std::upper_bound(firstUnsent, m_due.end(), now);
    return std::span(m_bytes).subspan(m_sent, static_cast<std::size_t>(firstLater - firstUnsent));
}

} // namespace sim
