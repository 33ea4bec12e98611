// A private X server (Xvfb) for running the real executable with real windows, and the
// window manager's part of closing a window: the close box sends WM_DELETE_WINDOW.
#pragma once

#include <QString>

#include <chrono>
#include <sys/types.h>

using Display = struct _XDisplay;

namespace testing {

class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Starts Xvfb and connects to it; false when it cannot be started.
    bool start();
    QString display() const { return m_display; }

    // Waits until a top-level window with this title is mapped; returns its id or 0.
    unsigned long waitForWindow(const QString& title, std::chrono::milliseconds bound);
    // How many top-level windows have been mapped since start(), as far as seen.
    int mappedWindows();
    // What the close box of a window does.
    void pressCloseBox(unsigned long window);

private:
    void drainEvents(std::chrono::milliseconds wait);
    QString titleOf(unsigned long window);

    pid_t m_server = -1;
    Display* m_connection = nullptr;
    QString m_display;
    std::vector<unsigned long> m_mapped;
};

} // namespace testing
