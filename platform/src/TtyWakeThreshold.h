// How many bytes a serial device must hold before a wait for input returns: the line
// discipline counts, so that a reader waiting for a whole frame does not return for every
// byte. And how many it holds.
#pragma once

class QSerialPort;

namespace platform {

// For the open port's device; 0 wakes for any byte. Returns false where the device or the
// platform cannot do it.
bool setTtyWakeThreshold(const QSerialPort& port, int bytes);
// The bytes that have come and wait in the device, not yet read; 0 where it cannot tell.
int ttyQueuedBytes(const QSerialPort& port);

} // namespace platform
