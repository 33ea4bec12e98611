#include "OpenCause.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

const QString kNoSuchDevice = QStringLiteral("does not exist");
const QString kInUse = QStringLiteral("in use by another program");

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString permissionDenied() {
    return QStringLiteral("permission denied: on Linux the user must be in the group that owns "
                          "the device (usually dialout)");
}

} // namespace

QString lockFailureCause(DeviceLock::Result result, int error) {
    if (result == DeviceLock::Result::NoSuchDevice)
        return kNoSuchDevice;
    if (error == EACCES || error == EPERM)
        return permissionDenied();
    if (error == EWOULDBLOCK || error == EBUSY)
        return kInUse;
    return systemText(error);
}

QString openFailureCause(QSerialPort::SerialPortError error, const QString& text) {
    if (error == QSerialPort::DeviceNotFoundError)
        return kNoSuchDevice;
    // Qt reports a device held by another program as a permission error too; its text tells.
    if (error == QSerialPort::PermissionError)
        return text == systemText(EACCES) ? permissionDenied() : kInUse;
    return text;
}

} // namespace platform
