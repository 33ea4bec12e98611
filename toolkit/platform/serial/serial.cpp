// The serial-port operations of the seam, on QSerialPort.
#include <platform/serial.h>

#include "SerialState.h"

#include <chrono>
#include <thread>

using platform::ComPort;
using platform::SerialState;

namespace {

ComPort* usedPort(int port) {
    SerialState* serial = SerialState::current();
    return serial ? serial->ports().find(port) : nullptr;
}

ComPort* openPort(int port) {
    ComPort* found = usedPort(port);
    return found && found->isOpen() ? found : nullptr;
}

} // namespace

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int) {
    SerialState* serial = SerialState::current();
    ComPort* com = serial ? serial->ports().get(port) : nullptr;
    if (!com)
        return kComErrInvalidPort;
    const QString device = deviceName && *deviceName ? QString::fromLocal8Bit(deviceName)
                                                     : platform::deviceForPort(port);
    return com->open(device, static_cast<qint32>(baudRate), parity, dataBits, stopBits,
                     inputQueueSize);
}

int CloseCom(int port) {
    ComPort* com = usedPort(port);
    if (!com)
        return port < 1 || port > kMaxComPort ? kComErrInvalidPort : kComErrPortNotOpen;
    com->close();
    return 0;
}

int SetComTime(int port, double timeoutSeconds) {
    ComPort* com = openPort(port);
    if (!com)
        return kComErrPortNotOpen;
    com->setTimeout(std::chrono::milliseconds(static_cast<long long>(timeoutSeconds * 1000.0)));
    return 0;
}

int SetCTSMode(int port, int mode) {
    ComPort* com = openPort(port);
    if (!com)
        return kComErrPortNotOpen;
    com->setHardwareHandshake(mode != 0);
    return 0;
}

int InstallComCallback(int port, int eventMask, int notifyCount, int, ComCallbackPtr callback,
                       void* callbackData) {
    ComPort* com = openPort(port);
    if (!com)
        return kComErrPortNotOpen;
    com->installCallback(eventMask, notifyCount, callback, callbackData);
    return 0;
}

int ComWrt(int port, const char* buffer, int count) {
    ComPort* com = openPort(port);
    return com ? com->write(buffer, count) : kComErrPortNotOpen;
}

int ComRd(int port, char* buffer, int count) {
    ComPort* com = openPort(port);
    return com ? com->read(buffer, count) : kComErrPortNotOpen;
}

int GetInQLen(int port) {
    if (ComPort* com = openPort(port))
        return com->inputQueueLength();
    // Callers poll the length in a loop until a time-out; a port that is not open must not
    // turn that loop into a spin.
    std::this_thread::sleep_for(platform::EventDispatcher::kLongestSleep);
    return kComErrPortNotOpen;
}

int FlushInQ(int port) {
    ComPort* com = openPort(port);
    if (!com)
        return kComErrPortNotOpen;
    com->flushInput();
    return 0;
}

int FlushOutQ(int port) {
    ComPort* com = openPort(port);
    if (!com)
        return kComErrPortNotOpen;
    com->flushOutput();
    return 0;
}
