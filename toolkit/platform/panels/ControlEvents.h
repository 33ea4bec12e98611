// Turns the operator's actions on a panel into queued callback events: a button's mouse
// press is a left click and its activation a commit (activated without the mouse, by a key,
// a shortcut or assistive technology, it raises both; a double-click is one click), a
// drop-down selection a commit, a radio button toggle a value change, focus changes got and
// lost focus, the close box a close.
#pragma once

namespace platform {

struct Panel;

void connectControlEvents(int handle, Panel& panel);

} // namespace platform
