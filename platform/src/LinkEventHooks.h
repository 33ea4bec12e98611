// Hands the seam's link events to the service tools' hooks.
#pragma once

#include <platform/linkevents.h>

namespace platform {

void notifyPortEvent(const PortEvent& event);
void notifyTextSet(int panel, int control, const QString& text);

} // namespace platform
