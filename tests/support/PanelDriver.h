// Drives the real main panel the way an operator does, and waits on the program with a bound.
#pragma once

#include <QWidget>

#include <chrono>
#include <functional>

namespace testing {

using namespace std::chrono_literals;

// A new toolkit and the shared variables as the program is loaded with them.
void freshProgram();
// Loads the panel file next to the test program with whatever callbacks are registered,
// and shows it.
int showPanelFile();
// Loads it with the application's own callbacks, sets the start-up values and shows it, as
// the tool does before its event loop.
void startMainPanel();
void discardMainPanel();

// The panel widget, and the control that carries the given id.
QWidget* panelWidget();
QWidget* control(int id);
template <typename T>
T* control(int id) {
    return qobject_cast<T*>(control(id));
}

// Handles events and queued callbacks until the condition holds or the bound has passed.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound = 5s);
// Dispatches what the operator's actions have queued.
void dispatchPending();

// Chooses an item of a drop-down with the keyboard, as an operator does.
void chooseItem(int ringId, int index);
// Types a value into a value control as the operator does, and leaves it.
void typeInto(int id, int value);
// Clicks a control where an operator would: a radio button on its round indicator.
void clickControl(int id);
// Presses the close box of the panel.
void pressCloseBox();

QString statusText();
int intValue(int id);

} // namespace testing
