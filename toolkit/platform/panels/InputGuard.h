// Keeps values from changing by accident: the mouse wheel changes no control that does not
// have the keyboard focus, and a drop-down takes a new value only when the operator picks an
// entry from its open list, so that stepping through ports does not open each one in turn.
#pragma once

class QWidget;

namespace platform {

void guardPanelInput(QWidget* panel);

} // namespace platform
