// Keyboard shortcuts of a panel: each command button's own shortcut (from the panel file) named
// in its tooltip, and Ctrl+Q, which asks to close the panel as its close box does.
#pragma once

class QWidget;

namespace platform {

void addPanelShortcuts(QWidget* panel);

} // namespace platform
