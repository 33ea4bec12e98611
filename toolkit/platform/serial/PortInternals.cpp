#include "PortInternals.h"

#include <platform/overrides.h>

#include <QSerialPort>
#include <QSocketNotifier>

#if NALVO_SERIAL_INTERNALS && defined(Q_OS_LINUX)
// The kernel's own settings structure, set with a single call: the C library's tcsetattr()
// reads the settings twice more around setting them, and the threshold may change with every
// frame.
#include <asm/termbits.h>
#include <sys/ioctl.h>
#elif NALVO_SERIAL_INTERNALS && defined(Q_OS_UNIX)
#include <termios.h>
#endif

#include <algorithm>

namespace platform {

namespace {
bool g_plain = !NALVO_SERIAL_INTERNALS;
} // namespace

void setPlainSerial(bool plain) {
    g_plain = plain || !NALVO_SERIAL_INTERNALS;
}

bool plainSerialChosen() {
    return g_plain;
}

QSocketNotifier* PortInternals::readNotifier() const {
#if NALVO_SERIAL_INTERNALS
    if (m_plain)
        return nullptr;
    for (auto* notifier : m_port.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly))
        if (notifier->type() == QSocketNotifier::Read)
            return notifier;
#endif
    return nullptr;
}

bool PortInternals::setWakeThreshold(int bytes) {
#if NALVO_SERIAL_INTERNALS && defined(Q_OS_LINUX)
    if (m_plain)
        return false;
    termios settings{};
    if (ioctl(m_port.handle(), TCGETS, &settings) != 0)
        return false;
    // With no inter-byte timer, poll() reports input only once VMIN bytes are waiting.
    settings.c_cc[VMIN] = static_cast<cc_t>(std::clamp(bytes, 0, 255));
    settings.c_cc[VTIME] = 0;
    return ioctl(m_port.handle(), TCSETS, &settings) == 0;
#elif NALVO_SERIAL_INTERNALS && defined(Q_OS_UNIX)
    if (m_plain)
        return false;
    termios settings{};
    if (tcgetattr(m_port.handle(), &settings) != 0)
        return false;
    settings.c_cc[VMIN] = static_cast<cc_t>(std::clamp(bytes, 0, 255));
    settings.c_cc[VTIME] = 0;
    return tcsetattr(m_port.handle(), TCSANOW, &settings) == 0;
#else
    Q_UNUSED(bytes)
    return false;
#endif
}

} // namespace platform
