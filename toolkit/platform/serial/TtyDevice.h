// What a serial device holds and whether it is still there, asked of the device beneath the
// open port: how many bytes wait in it, a wait for input to the microsecond, and whether the
// kernel still answers for it.
#pragma once

#include <chrono>

class QSerialPort;

namespace platform {

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
