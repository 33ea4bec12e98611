#include "XServer.h"

#include <QProcess>

// After Qt: Xlib defines Status and Bool as macros.
#include <X11/Xlib.h>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing {

XServer::~XServer() {
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
    m_display = QStringLiteral(":") + QString::fromStdString(number);
    return !number.empty();
}

unsigned long XServer::waitForWindow(const QString& title, std::chrono::milliseconds bound) {
    QProcess search;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    search.setProcessEnvironment(env);
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--sync"),
                  QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  QLatin1Char('^') + title + QLatin1Char('$')});
    if (!search.waitForFinished(static_cast<int>(bound.count())))
        search.kill();
    return search.readAllStandardOutput().split('\n').value(0).toULong();
}

void XServer::pressCloseBox(unsigned long window) {
    Display* connection = XOpenDisplay(m_display.toLatin1().constData());
    if (!connection)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection, window, False, NoEventMask, &event);
    XCloseDisplay(connection);
}

} // namespace testing
