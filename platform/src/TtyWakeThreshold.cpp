#include "TtyWakeThreshold.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

#include <algorithm>

namespace platform {

bool setTtyWakeThreshold(const QSerialPort& port, int bytes) {
#ifdef Q_OS_UNIX
    const int handle = port.handle();
    termios settings{};
    if (tcgetattr(handle, &settings) != 0)
        return false;
    // With no inter-byte timer, poll() reports input only once VMIN bytes are waiting.
    settings.c_cc[VMIN] = static_cast<cc_t>(std::clamp(bytes, 0, 255));
    settings.c_cc[VTIME] = 0;
    return tcsetattr(handle, TCSANOW, &settings) == 0;
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

} // namespace platform
