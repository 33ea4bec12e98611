// How many bytes a serial device must hold before a wait for input returns: the line
// discipline counts, so that a reader waiting for a whole frame is not woken for every byte.
#pragma once

#include <QtGlobal>

namespace platform {

// 0 wakes for any byte. Returns false where the device or the platform cannot do it.
bool setTtyWakeThreshold(qintptr handle, int bytes);

} // namespace platform
