// Hands the texts the program shows to the service tools' hooks.
#pragma once

#include <QString>

namespace platform {

void notifyTextSet(int panel, int control, const QString& text);

} // namespace platform
