#include "WakePipe.h"

#include <array>
#include <cstdint>

#include <fcntl.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::size_t kDrainChunk = 64;

} // namespace

WakePipe::WakePipe() {
    std::array<int, 2> ends{};
    if (pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) == 0) {
        m_read = ends[0];
        m_write = ends[1];
    }
}

WakePipe::~WakePipe() {
    if (m_read >= 0)
        close(m_read);
    if (m_write >= 0)
        close(m_write);
}

// A full pipe already wakes the reader, so a write that does not fit is no loss.
void WakePipe::wake() const {
    const std::uint8_t poke = 1;
    [[maybe_unused]] const auto written = write(m_write, &poke, sizeof poke);
}

void WakePipe::drain() const {
    std::array<std::uint8_t, kDrainChunk> sink{};
    while (read(m_read, sink.data(), sink.size()) > 0) {
    }
}

} // namespace sim
