// Drives the real main panel the way an operator does, reads what its widgets show, and waits
// on the program with a bound.
#pragma once

#include <app/Nalvo-ZUridozU10.h>
#include <platform/ui.h>
#include <shared/ProgramState.h>

#include <QString>
#include <QStringList>
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>

namespace testing {

using namespace std::chrono_literals;

// A new toolkit, and the shared variables as the program is loaded with them.
void freshProgram();
// Then the panel file next to the test program with whatever callbacks are registered, shown.
int showPanelFile();
// Then the tool as it stands before its device start-up step: the application's callbacks,
// the panel file (after `attach` has attached service tools), the start-up values, the panel
// shown.
void startTool(const std::function<void()>& attach = {});

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

// Clicks a control where an operator would (a radio button on its round indicator), and
// lets the callbacks run unless told not to.
void click(int id, bool dispatch = true);
// Chooses an item of a drop-down through its list, as an operator does.
void chooseItem(int ringId, int index);
// Types a value into a value control and leaves it.
void typeInto(int id, int value);
void pressCloseBox();

// Notes, while it lives, the text each widget showed whenever it was painted.
class PaintLog : public QObject {
public:
    PaintLog();
    bool eventFilter(QObject* object, QEvent* event) override;

    std::map<QObject*, QStringList> texts;
};

QString statusText();
// What a control shows once the program has let events through: the number in a value
// control, display or drop-down, 1 or 0 for a lamp or radio button.
int shown(int id);

} // namespace testing
