// A screen reader's action does what the operator's does, once: a button's Toggle clicks it
// as its Press does (Qt's Toggle switches a checkable button without the click that the
// panel's events and the tools act on), and an item of a closed drop-down's list selected
// through the accessibility interface is picked as the operator picks it from the list. For
// every button and drop-down of the application, panels and dialogs alike.
#pragma once

namespace platform {

void installAccessibleActions();

} // namespace platform
