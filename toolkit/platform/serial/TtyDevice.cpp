#include "TtyDevice.h"

#include <QSerialPort>

#ifdef Q_OS_LINUX
// The kernel's own settings structure, set with a single call.
#include <asm/termbits.h>
#include <poll.h>
#include <sys/ioctl.h>
#elif defined(Q_OS_UNIX)
#include <sys/ioctl.h>
#include <termios.h>
#endif

#include <algorithm>

namespace platform {

#ifdef Q_OS_LINUX
namespace {

// The C library's tcsetattr() reads the settings twice more around setting them, and the
// threshold may change with every frame.
bool readSettings(int handle, termios& settings) {
    return ioctl(handle, TCGETS, &settings) == 0;
}

bool writeSettings(int handle, const termios& settings) {
    return ioctl(handle, TCSETS, &settings) == 0;
}

} // namespace
#elif defined(Q_OS_UNIX)
namespace {

bool readSettings(int handle, termios& settings) {
    return tcgetattr(handle, &settings) == 0;
}

bool writeSettings(int handle, const termios& settings) {
    return tcsetattr(handle, TCSANOW, &settings) == 0;
}

} // namespace
#endif

bool setTtyWakeThreshold(const QSerialPort& port, int bytes) {
#ifdef Q_OS_UNIX
    termios settings{};
    if (!readSettings(port.handle(), settings))
        return false;
    // With no inter-byte timer, poll() reports input only once VMIN bytes are waiting.
    settings.c_cc[VMIN] = static_cast<cc_t>(std::clamp(bytes, 0, 255));
    settings.c_cc[VTIME] = 0;
    return writeSettings(port.handle(), settings);
#else
    Q_UNUSED(port)
    Q_UNUSED(bytes)
    return false;
#endif
}

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
    return readSettings(port.handle(), settings);
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
