// The serial ports by number, and which device a number stands for.
#pragma once

#include "ComPort.h"

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

private:
    std::map<int, std::unique_ptr<ComPort>> m_ports;
};

// NALVO_COM<n> when set, else the platform's default device for port n.
QString deviceForPort(int number);

} // namespace platform
