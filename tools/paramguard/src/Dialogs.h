// The questions the guard asks, as Qt's own dialogs unless a test answers them.
#pragma once

#include <paramguard/ParameterGuard.h>

class QWidget;

namespace paramguard {

// True: discard the unsent values and go on. Holds up the program until answered.
bool askDiscard(QWidget* parent, Replacing by, int unsentCount);
// The same without holding up the program, so that a live view goes on: `answered` gets the
// choice once it is made (at once when a test answers).
void askDiscardLater(QWidget* parent, Replacing by, int unsentCount,
                     std::function<void(bool discard)> answered);

// `readEeprom` reads and backs up the EEPROM again when the operator asks for it, and gives the
// question anew.
EepromAnswer askEepromWrite(QWidget* parent, EepromQuestion question,
                            const std::function<EepromQuestion()>& readEeprom);

} // namespace paramguard
