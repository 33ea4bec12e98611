// A pseudo-terminal pair: the tool opens the slave's path as its serial port, the sensor
// talks through the non-blocking master.
#pragma once

#include <optional>
#include <string>

namespace sim {

class Pty {
public:
    // A new pair with the slave in raw mode, or nothing when the system has none to give.
    static std::optional<Pty> open();

    Pty(Pty&& other) noexcept;
    Pty& operator=(Pty&& other) = delete;
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty();

    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

private:
    Pty(int master, int slave);

    int m_master = -1;
    // Held for the pair's whole life: a pty whose slave nobody holds hangs up and falls
    // back to cooked mode when the tool closes and reopens it.
    int m_slave = -1;
    std::string m_slavePath;
};

} // namespace sim
