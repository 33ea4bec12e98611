// A command reads the panel as the operator sees it. A mouse click takes the focus, and with it
// the number being typed, from its field first; a shortcut or a screen reader's press leaves
// the field as it is. So before a command's callback runs, the focused field takes its text as
// leaving it would: in range, out of it (the limit, said) or no number (the value kept, said).
#pragma once

namespace platform {

void settleFocusedField();

} // namespace platform
