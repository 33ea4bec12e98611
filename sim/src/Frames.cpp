#include <sim/Frames.h>

namespace sim {

Frame encodeFrame(int order, const Words& words) {
    Frame frame{};
    frame[0] = kSyncHigh;
    frame[1] = kSyncLow;
    frame[2] = static_cast<std::uint8_t>((order >> 8) & 0xFF);
    frame[3] = static_cast<std::uint8_t>(order & 0xFF);
    for (std::size_t i = 0; i < words.size(); ++i) {
        frame[4 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
        frame[5 + 2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
    }
    return frame;
}

Words decodeWords(const Frame& frame) {
    Words words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(frame[4 + 2 * i] << 8 | frame[5 + 2 * i]);
    return words;
}

int orderOf(const Frame& frame) {
    return frame[2] << 8 | frame[3];
}

} // namespace sim
