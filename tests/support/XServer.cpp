#include "XServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <QElapsedTimer>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing {

XServer::~XServer() {
    if (m_connection)
        XCloseDisplay(m_connection);
    if (m_server > 0) {
        kill(m_server, SIGTERM);
        waitpid(m_server, nullptr, 0);
    }
}

bool XServer::start() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    m_server = fork();
    if (m_server == 0) {
        close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    char c = 0;
    pollfd readable{pipeFds[0], POLLIN, 0};
    while (poll(&readable, 1, 10000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.empty())
        return false;
    m_display = QStringLiteral(":") + QString::fromStdString(number);
    m_connection = XOpenDisplay(m_display.toLatin1().constData());
    if (!m_connection)
        return false;
    XSelectInput(m_connection, DefaultRootWindow(m_connection), SubstructureNotifyMask);
    XFlush(m_connection);
    return true;
}

void XServer::drainEvents(std::chrono::milliseconds wait) {
    pollfd readable{ConnectionNumber(m_connection), POLLIN, 0};
    if (!XPending(m_connection))
        poll(&readable, 1, static_cast<int>(wait.count()));
    while (XPending(m_connection)) {
        XEvent event;
        XNextEvent(m_connection, &event);
        if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(m_connection))
            m_mapped.push_back(event.xmap.window);
    }
}

QString XServer::titleOf(unsigned long window) {
    char* name = nullptr;
    QString title;
    if (XFetchName(m_connection, window, &name) && name)
        title = QString::fromLocal8Bit(name);
    if (name)
        XFree(name);
    return title;
}

unsigned long XServer::waitForWindow(const QString& title, std::chrono::milliseconds bound) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < bound.count()) {
        drainEvents(std::chrono::milliseconds(50));
        for (unsigned long window : m_mapped)
            if (titleOf(window) == title)
                return window;
    }
    return 0;
}

int XServer::mappedWindows() {
    drainEvents(std::chrono::milliseconds(0));
    return static_cast<int>(m_mapped.size());
}

void XServer::pressCloseBox(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(m_connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_connection, window, False, NoEventMask, &event);
    XFlush(m_connection);
}

} // namespace testing
