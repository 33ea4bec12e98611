// Hands the seam's link events to the service tools' hooks.
#pragma once

#include <platform/linkevents.h>

namespace platform {

// Whether anyone listens: an event costs a copy of its bytes.
bool hasPortHooks();
void notifyPortEvent(const PortEvent& event);
void notifyTextSet(int panel, int control, const QString& text);

} // namespace platform
