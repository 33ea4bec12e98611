// How the Qt-side service tools follow the program's own events: they may hold back an
// operator's action before its callback runs, hear when it has run, tell a value the program
// set from one the operator changed, and run code where callbacks run.
#pragma once

#include <functional>

namespace platform {

// Asked before a control's callback runs for an operator's action (or a call posted for one);
// false keeps the callback from running.
using CallbackGate = std::function<bool(int panel, int control, int event)>;
void onBeforeCallback(CallbackGate gate);

// The panel's own callback (the close box, Ctrl+Q, the window's activation) goes through the
// same gates and hooks, with this for the control.
constexpr int kPanelItself = 0;

// Told when such a callback starts, once every gate has let it through.
using CallbackHook = std::function<void(int panel, int control, int event)>;
void onCallbackStart(CallbackHook hook);

// Told once such a callback has returned.
void onAfterCallback(CallbackHook hook);

// Told whenever the program sets a control's value with SetCtrlVal; an operator's change of a
// value raises no such word.
using ProgramValueHook = std::function<void(int panel, int control)>;
void onProgramValue(ProgramValueHook hook);

// Runs the call where callbacks run: at the next dispatch of RunUserInterface or
// ProcessSystemEvents, so that it may wait on the link as a callback does. It acts for the
// operator as a callback does: a number being typed in the focused field is taken first.
void postCall(std::function<void()> call);

} // namespace platform
