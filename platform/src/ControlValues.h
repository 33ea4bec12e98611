// Reading and writing a control's value, whatever widget stands behind it. Writes from the
// program never raise a control event.
#pragma once

#include "PanelRegistry.h"

#include <QString>

#include <optional>

namespace platform {

// Prepares a control loaded from a panel file: item values of a drop-down, the operator's
// range of a value control.
void prepareControlValue(Control& control);

std::optional<qint64> controlValue(const Control& control);
bool setControlValue(Control& control, qint64 value);
bool setControlText(Control& control, const QString& text);

// Values written to value controls and numeric displays reach the widgets when the program
// next lets events through, or before the operator's next action on a control: a burst of
// writes, such as a live-view refresh, then costs one widget update and does not hold up
// the program. Reads see the values written.
void applyPendingValues();

} // namespace platform
