// How many bytes a device server sends before it waits for them to be acknowledged, learnt from
// what waits below the socket's wake threshold. A connection does not acknowledge bytes that
// have not been read, but for one piece in 40 ms or so: a port that rests until a whole frame
// has come would stop a server that forwards each byte as it comes (a few pieces unacknowledged
// at most, the sender's congestion window), or one that sends a piece only once the one before
// is acknowledged (Nagle's rule, ser2net's default), in the middle of every reply. Such a
// server's bytes stop coming while a frame is incomplete; the window is then the bytes that
// came, and the port wakes for that many at most.
#pragma once

#include <chrono>
#include <climits>

namespace platform {

class ServerWindow {
public:
    using Clock = std::chrono::steady_clock;

    enum class Verdict { Whole, LookAgain, Held };
    struct Look {
        Verdict verdict;
        // LookAgain: when.
        std::chrono::nanoseconds after{};
    };

    explicit ServerWindow(std::chrono::nanoseconds byteTime = {}) : m_byteTime(byteTime) {}

    // The threshold for the bytes missing: no more than the window learnt, which is forgotten
    // a while later (the sender's window changes) and learnt again. Where the window is less
    // than a frame, the frame is awaited in equal parts.
    int threshold(int missing, Clock::time_point now);
    // When to look at what waits below the threshold first, once its bytes could have come.
    std::chrono::nanoseconds firstLook(int threshold);
    // What waits below the threshold when looked at; Held when it has stopped growing, which
    // makes it the window.
    Look look(int waiting, Clock::time_point now);
    // A server that sends a piece only once the one before is acknowledged.
    bool onePiece() const { return m_window == 1; }

private:
    std::chrono::nanoseconds m_byteTime;
    int m_window = INT_MAX;
    int m_threshold = 1;
    int m_lastWaiting = 0;
    Clock::time_point m_learntAt;
};

} // namespace platform
