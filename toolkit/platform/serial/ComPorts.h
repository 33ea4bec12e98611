// The serial ports by number, and which device a number stands for.
#pragma once

#include "ComPort.h"

#include <platform/linkevents.h>

#include <QString>

#include <map>
#include <memory>

namespace platform {

class ComPorts {
public:
    // The port with this number, made on first use; nullptr for a number out of range.
    ComPort* get(int number);
    // The port with this number if it has been used.
    ComPort* find(int number);

    // The devices found on the machine or named by the operator, by number.
    void setDevice(int number, const QString& device);
    QString device(int number) const;

private:
    std::map<int, std::unique_ptr<ComPort>> m_ports;
    std::map<int, QString> m_devices;
};

} // namespace platform
