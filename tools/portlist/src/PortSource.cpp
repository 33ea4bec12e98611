#include <portlist/PortList.h>

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace portlist {

namespace {

// The stable names udev gives adapters, by the device each one points to.
QString byIdName(const QString& device) {
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files))
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    return {};
}

bool isAdapter(const QSerialPortInfo& port) {
    return port.hasVendorIdentifier() || port.portName().startsWith(QLatin1String("ttyUSB")) ||
           port.portName().startsWith(QLatin1String("ttyACM"));
}

} // namespace

QList<PortInfo> presentPorts() {
    QList<PortInfo> ports;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        ports.append({port.systemLocation(), port.description(), port.serialNumber(),
                      byIdName(port.systemLocation()), isAdapter(port)});
    return ports;
}

} // namespace portlist
