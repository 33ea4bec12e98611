// A reply on its way to the tool: its bytes and how the line is to carry them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

struct Delivery {
    std::vector<std::uint8_t> bytes;
    // Held back this long beyond the usual turnaround.
    std::chrono::milliseconds delay{0};
    // Sent in pieces of this many bytes with a pause between them; 0 sends it whole.
    std::size_t pieceSize = 0;
    std::chrono::milliseconds piecePause{0};
    // Bytes from this one on trail the reply, the first of them this long after the one before.
    std::size_t extraFrom = SIZE_MAX;
    std::chrono::milliseconds extraAfter{0};
};

} // namespace sim
