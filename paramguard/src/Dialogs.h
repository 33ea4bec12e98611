// The two questions the guard asks, as Qt's own dialogs unless a test answers them.
#pragma once

#include <paramguard/ParameterGuard.h>

class QWidget;

namespace paramguard {

// True: discard the unsent values and get.
bool askDiscard(QWidget* parent, int unsentCount);
EepromAnswer askEepromWrite(QWidget* parent, const std::vector<EepromRow>& rows);

} // namespace paramguard
