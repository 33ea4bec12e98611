// A self-pipe: other threads poke it to wake the line's thread out of poll().
#pragma once

namespace sim {

class WakePipe {
public:
    WakePipe();
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    bool valid() const { return m_read >= 0; }
    // The end to poll for reading.
    int fd() const { return m_read; }
    void wake() const;
    void drain() const;

private:
    int m_read = -1;
    int m_write = -1;
};

} // namespace sim
