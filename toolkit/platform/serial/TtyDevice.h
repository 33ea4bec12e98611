// How many bytes a serial device must hold before a wait for input returns: the line
// discipline counts, so that a reader waiting for a whole frame does not return for every
// byte. And how many it holds, a wait for it to the microsecond, and whether it is still there.
#pragma once

#include <chrono>

class QSerialPort;

namespace platform {

// For the open port's device; 0 wakes for any byte. Returns false where the device or the
// platform cannot do it.
bool setTtyWakeThreshold(const QSerialPort& port, int bytes);
// The bytes that have come and wait in the device, not yet read; 0 where it cannot tell.
int ttyQueuedBytes(const QSerialPort& port);
// Waits at most the given time for the device to hold input, without reading it; true when it
// does, or when it has gone. Qt's waits count whole milliseconds: a wait that must end when a
// request has left the line would otherwise end up to a millisecond late, woken by the reply
// instead.
bool waitForTtyInput(QSerialPort& port, std::chrono::nanoseconds wait);
// False once the device has gone (unplugged, or the far end of a pseudo-terminal closed): the
// kernel hangs it up, and it refuses even to report its settings.
bool ttyAnswers(const QSerialPort& port);

} // namespace platform
