// How many bytes a serial device must hold before a wait for input returns: the line
// discipline counts, so that a reader waiting for a whole frame is not woken for every byte.
#pragma once

class QSerialPort;

namespace platform {

// For the open port's device; 0 wakes for any byte. Returns false where the device or the
// platform cannot do it.
bool setTtyWakeThreshold(const QSerialPort& port, int bytes);

} // namespace platform
