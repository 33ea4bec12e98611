// Arrow keys move the focus between the radio buttons of a group that is not exclusive, as
// they do in an exclusive one (Qt leaves such buttons to the Tab key). The group is one stop
// of the Tab key; Space switches the button that has the focus.
#pragma once

class QWidget;

namespace platform {

void connectRadioGroupKeys(QWidget* panel);

} // namespace platform
