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

// Shows the values written to value controls and numeric displays since the last time (see
// PendingValues).
void applyPendingValues();

} // namespace platform
