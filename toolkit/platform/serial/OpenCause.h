// Why a device could not be opened, in words an operator can act on.
#pragma once

#include "DeviceLock.h"

#include <QSerialPort>
#include <QString>

namespace platform {

QString lockFailureCause(DeviceLock::Result result, int error);
QString openFailureCause(QSerialPort::SerialPortError error, const QString& systemText);

} // namespace platform
