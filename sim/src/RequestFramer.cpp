#include "RequestFramer.h"

namespace sim {

std::optional<Frame> RequestFramer::push(std::uint8_t byte) {
    if (m_size == 1 && byte != kSyncLow)
        m_size = 0; // the 00 was not a sync word after all; this byte may still start one
    if (m_size == 0 && byte != kSyncHigh)
        return std::nullopt;
    m_frame[m_size++] = byte;
    if (m_size < kFrameSize)
        return std::nullopt;
    m_size = 0;
    return m_frame;
}

} // namespace sim
