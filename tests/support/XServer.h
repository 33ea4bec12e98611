// A private X server (Xvfb) for running the real executable with real windows, and the
// window manager's part of closing a window: the close box sends WM_DELETE_WINDOW.
#pragma once

#include <QString>

#include <chrono>
#include <sys/types.h>

namespace testing {

class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Starts Xvfb; false when it cannot be started.
    bool start();
    QString display() const { return m_display; }
    // Waits until a window with this title is mapped; returns its id or 0.
    unsigned long waitForWindow(const QString& title, std::chrono::milliseconds bound);
    void pressCloseBox(unsigned long window);

private:
    pid_t m_server = -1;
    QString m_display;
};

} // namespace testing
