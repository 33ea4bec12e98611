#include "TtyDevice.h"

#include <QSerialPort>

#ifdef Q_OS_LINUX
#include <poll.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace platform {

int ttyQueuedBytes(const QSerialPort& port) {
    int bytes = 0;
#ifdef Q_OS_UNIX
    if (ioctl(port.handle(), FIONREAD, &bytes) != 0)
        bytes = 0;
#else
    Q_UNUSED(port)
#endif
    return bytes;
}

bool ttyAnswers(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    termios settings{};
    return tcgetattr(port.handle(), &settings) == 0;
#else
    return port.isOpen();
#endif
}

bool waitForTtyInput(QSerialPort& port, std::chrono::nanoseconds wait) {
#ifdef Q_OS_LINUX
    const auto seconds = std::chrono::floor<std::chrono::seconds>(wait);
    const timespec limit{static_cast<time_t>(seconds.count()),
                         static_cast<long>((wait - seconds).count())};
    pollfd device{port.handle(), POLLIN, 0};
    // Input, or a device that has gone: reading it lets Qt find out.
    return ppoll(&device, 1, &limit, nullptr) == 1;
#else
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait);
    return port.waitForReadyRead(static_cast<int>(milliseconds.count()));
#endif
}

} // namespace platform
