// Cuts the byte stream from the tool into request frames, skipping anything that does not
// start with the sync word.
#pragma once

#include <sim/Frames.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sim {

class RequestFramer {
public:
    // The frame this byte completes, if any.
    std::optional<Frame> push(std::uint8_t byte);

private:
    Frame m_frame{};
    std::size_t m_size = 0;
};

} // namespace sim
