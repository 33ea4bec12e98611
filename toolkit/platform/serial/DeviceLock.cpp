#include "DeviceLock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

DeviceLock::Result DeviceLock::take(const QString& device) {
    release();
#ifdef Q_OS_UNIX
    // Named as the serial port names it: a bare name lies in /dev.
    const QString path =
        device.contains(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
    m_fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_error = m_fd < 0 ? errno : 0;
    if (m_fd < 0)
        return errno == ENOENT || errno == ENODEV || errno == ENXIO ? Result::NoSuchDevice
                                                                    : Result::InUse;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = errno;
        release();
        return Result::InUse;
    }
#else
    // Elsewhere the system gives a serial port to one program at a time.
    Q_UNUSED(device)
#endif
    return Result::Taken;
}

void DeviceLock::release() {
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
}

} // namespace platform
