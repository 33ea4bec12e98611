#include "ComPorts.h"

#include "SerialState.h"

#include <platform/attach.h>
#include <platform/serial.h>

namespace platform {

ComPort* ComPorts::get(int number) {
    if (number < 1 || number > kMaxComPort)
        return nullptr;
    auto& slot = m_ports[number];
    if (!slot)
        slot = std::make_unique<ComPort>(number);
    return slot.get();
}

ComPort* ComPorts::find(int number) {
    const auto it = m_ports.find(number);
    return it == m_ports.end() ? nullptr : it->second.get();
}

void ComPorts::setDevice(int number, const QString& device) {
    if (device.isEmpty())
        m_devices.erase(number);
    else
        m_devices[number] = device;
}

QString ComPorts::device(int number) const {
    const auto it = m_devices.find(number);
    return it == m_devices.end() ? QString() : it->second;
}

QString deviceForPort(int number) {
    const QString mapped =
        qEnvironmentVariable(qPrintable(QStringLiteral("NALVO_COM%1").arg(number)));
    if (!mapped.isEmpty())
        return mapped;
    if (SerialState* serial = SerialState::current())
        if (QString found = serial->ports().device(number); !found.isEmpty())
            return found;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString portDevice(int port) {
    return deviceForPort(port);
}

} // namespace platform
