#include "ServerWindow.h"

#include <algorithm>

namespace platform {

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A sensor's own delay before it answers, and a server's, are a few milliseconds; an
// acknowledgement the system delays, 40 ms or more.
constexpr milliseconds kLateness{10};
// Bytes that flow come a byte's line time apart: after ten of them, or 5 ms, without one, they
// are held (a machine busy elsewhere may keep a sensor or a server from going on for a few
// milliseconds; a held server waits for the delayed acknowledgement, 40 ms).
constexpr milliseconds kStillFor{5};
constexpr int kStillBytes = 10;
// How long a window learnt holds.
constexpr std::chrono::seconds kForgetAfter{10};

} // namespace

int ServerWindow::threshold(int missing, Clock::time_point now) {
    if (m_window != INT_MAX && now - m_learntAt >= kForgetAfter)
        m_window = INT_MAX;
    if (missing <= m_window)
        return std::max(missing, 1);
    // As few wakes as the window allows, in equal parts: the furthest from the window's edge.
    const int parts = (missing + m_window - 1) / m_window;
    return (missing + parts - 1) / parts;
}

nanoseconds ServerWindow::firstLook(int threshold) {
    m_threshold = threshold;
    m_lastWaiting = 0;
    return m_byteTime * threshold + kLateness;
}

ServerWindow::Look ServerWindow::look(int waiting, Clock::time_point now) {
    if (waiting >= m_threshold)
        return {Verdict::Whole};
    if (waiting == 0)
        return {Verdict::LookAgain, kLateness};
    if (waiting > m_lastWaiting) {
        // Still coming, or the first pieces of a held reply: looked at again a little later.
        m_lastWaiting = waiting;
        return {Verdict::LookAgain, std::max<nanoseconds>(kStillFor, m_byteTime * kStillBytes)};
    }
    m_window = waiting;
    m_learntAt = now;
    return {Verdict::Held};
}

} // namespace platform
