#include "Pty.h"

#include <array>
#include <utility>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::size_t kPathCapacity = 256;

bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool makeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool closeOnExec(int fd) {
    return fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

std::optional<Pty> Pty::open() {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return std::nullopt;
    Pty pty(master, slave);
    // Raw before the path is handed out, so the tool never sees a cooked line.
    if (!makeRaw(slave) || !makeNonBlocking(master) || !closeOnExec(master) || !closeOnExec(slave))
        return std::nullopt;
    std::array<char, kPathCapacity> path{};
    if (ttyname_r(slave, path.data(), path.size()) != 0)
        return std::nullopt;
    pty.m_slavePath = path.data();
    return pty;
}

Pty::Pty(int master, int slave) : m_master(master), m_slave(slave) {}

Pty::Pty(Pty&& other) noexcept
    : m_master(std::exchange(other.m_master, -1)), m_slave(std::exchange(other.m_slave, -1)),
      m_slavePath(std::move(other.m_slavePath)) {}

Pty::~Pty() {
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
}

} // namespace sim
