// The sensor's frame layout: sync word 00 55, order word 00 <code>, then 16 big-endian words.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

using Words = std::array<std::uint16_t, 16>;
using Frame = std::array<std::uint8_t, 36>;

constexpr std::size_t kFrameSize = std::tuple_size_v<Frame>;
constexpr std::uint8_t kSyncHigh = 0x00;
constexpr std::uint8_t kSyncLow = 0x55;

Frame encodeFrame(int order, const Words& words);
Words decodeWords(const Frame& frame);
// The whole order word, so a frame with a non-zero high byte is an unknown order.
int orderOf(const Frame& frame);

} // namespace sim
