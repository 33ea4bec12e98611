// Drives the real main panel the way an operator does, reads what its widgets show, and waits
// on the program with a bound.
#pragma once

#include <app/Nalvo-ZUridozU10.h>
#include <platform/ui.h>
#include <shared/ProgramState.h>

#include <QRegion>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>

class QAbstractButton;
class QAccessibleInterface;

namespace testing {

using namespace std::chrono_literals;

// A new toolkit, and the shared variables as the program is loaded with them.
void freshProgram();
// Then the panel file next to the test program with whatever callbacks are registered, shown.
int showPanelFile();
// Then the tool as it stands before its device start-up step: the application's callbacks,
// the panel file, the start-up values, the panel shown; service tools attached by attachTools.
void startTool(const std::function<void()>& attachTools = {});

QWidget* panelWidget();
QWidget* control(int id);
template <typename T>
T* control(int id) {
    return qobject_cast<T*>(control(id));
}
// A widget the service tools put on the panel, by its object name or else its accessible name.
template <typename T = QWidget>
T* panelChild(const QString& name) {
    for (T* child : panelWidget()->findChildren<T*>())
        if (child->objectName() == name || child->accessibleName() == name)
            return child;
    return nullptr;
}
QAccessibleInterface* accessible(QWidget* widget);

// Handles events and queued callbacks until the condition holds or the bound has passed.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound = 5s);
// Dispatches what the operator's actions have queued.
void dispatchPending();

// Clicks a control where an operator would (a radio button on its round indicator), and
// lets the callbacks run unless told not to.
void click(int id, bool dispatch = true);
// Chooses an item of a drop-down through its list, as an operator does.
void chooseItem(int ringId, int index);
// The port drop-down's items as it lists them once it has been opened.
QStringList portItems();
// Types a value into a value control and leaves it.
void typeInto(int id, int value);
void pressCloseBox();

// The ways an operator sets off a button: a mouse held stays down, a shortcut is Send's or Get's,
// a screen reader uses the action the button offers (Toggle for a checkable one, else Press).
enum class Way { Mouse, MouseHeld, Space, Shortcut, ScreenReader };
void actOn(QAbstractButton* button, Way way);
// A shortcut's or a screen reader's press lets its button go only a moment later.
bool buttonsUp();

// Hands each dialog that is up to `handle`, polling every `interval` ms, until it says it is done.
void whileDialogsComeUp(const std::function<bool(QWidget*)>& handle, int interval = 0);
// Clicks the dialog's button whose text, or its text without the mnemonic's mark, is `text`.
void clickButton(QWidget* dialog, const QString& text);

// Notes, while it lives, the text each widget showed whenever it was painted.
class PaintLog : public QObject {
public:
    PaintLog();
    bool eventFilter(QObject* object, QEvent* event) override;

    std::map<QObject*, QStringList> texts;
    std::map<QObject*, QRegion> regions;
};

QString statusText();
// The count of unsent changes, as it reads (its second line, if any, after the first) once the
// window has caught up with the values just set.
QString unsentCount();
// What a control shows once the program has let events through: the number in a value
// control, display or drop-down, 1 or 0 for a lamp or radio button.
int shown(int id);

} // namespace testing
