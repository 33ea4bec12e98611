// Builds a panel from a panel file (Qt Designer XML) and binds its controls to the
// program's callbacks.
#pragma once

#include <QString>

namespace platform {

// Results of loadPanelFile below zero.
constexpr int kPanelFileMissing = -1;
constexpr int kPanelFileUnreadable = -2;
constexpr int kPanelBreaksContract = -3;
constexpr int kPanelNoSuchResource = -4;

// Returns the new panel's handle, or one of the negative results above.
int loadPanelFile(const QString& path, int resourceId);

} // namespace platform
