// Hands the seam's port events to the service tools' hooks.
#pragma once

#include <platform/linkevents.h>

namespace platform {

// Whether anyone listens: an event costs a copy of its bytes.
bool hasPortHooks();
void notifyPortEvent(const PortEvent& event);

} // namespace platform
