// What the Qt-side service tools (the log, the port list, recording, compare) reach of the
// running seam: the panels' widgets, and a word when a panel has been built.
#pragma once

#include <QWidget>

#include <functional>

namespace platform {

using PanelHook = std::function<void(int panel, QWidget* widget)>;

// Runs for every panel LoadPanel builds, before the program gets its handle. Hooks are kept
// until CloseToolkit.
void onPanelLoaded(PanelHook hook);

// nullptr for a handle or id that is not loaded.
QWidget* panelWidget(int panel);
QWidget* controlWidget(int panel, int control);

// The item data role that holds a drop-down item's value.
constexpr int kRingValueRole = Qt::UserRole;

} // namespace platform
