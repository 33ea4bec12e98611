#include "TtyWakeThreshold.h"

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

#include <algorithm>

namespace platform {

bool setTtyWakeThreshold(qintptr handle, int bytes) {
#ifdef Q_OS_UNIX
    termios settings{};
    if (tcgetattr(static_cast<int>(handle), &settings) != 0)
        return false;
    // With no inter-byte timer, poll() reports input only once VMIN bytes are waiting.
    settings.c_cc[VMIN] = static_cast<cc_t>(std::clamp(bytes, 0, 255));
    settings.c_cc[VTIME] = 0;
    return tcsetattr(static_cast<int>(handle), TCSANOW, &settings) == 0;
#else
    Q_UNUSED(handle)
    Q_UNUSED(bytes)
    return false;
#endif
}

int ttyQueuedBytes(qintptr handle) {
    int bytes = 0;
#ifdef Q_OS_UNIX
    if (ioctl(static_cast<int>(handle), FIONREAD, &bytes) != 0)
        bytes = 0;
#else
    Q_UNUSED(handle)
#endif
    return bytes;
}

} // namespace platform
