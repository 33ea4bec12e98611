#include "ControlEvents.h"

#include "FieldSettling.h"
#include "PanelsState.h"

#include <platform/linkevents.h>

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

namespace platform {

namespace {

// A focus change is no command: the field being left settles itself.
bool isCommand(int event) {
    return event != kEventGotFocus && event != kEventLostFocus;
}

void postControlEvent(int handle, int id, int event) {
    Toolkit::current()->dispatcher().post([handle, id, event] {
        // Looked up when dispatched: the panel may have gone in the meantime, and a control
        // that an earlier callback has dimmed or hidden no longer takes the operator's action.
        PanelsState* part = PanelsState::current();
        Control* control = part ? part->panels().control(handle, id) : nullptr;
        if (!control || !control->callback)
            return;
        if (control->widget->isEnabled() && control->widget->isVisible()) {
            if (isCommand(event))
                settleFocusedField();
            part->followHooks.runCallback(handle, id, event,
                                          [callback = control->callback, handle, id, event] {
                                              callback(handle, id, event, nullptr, 0, 0);
                                          });
        }
    });
}

void postPanelEvent(int handle, int event) {
    Toolkit::current()->dispatcher().post([handle, event] {
        PanelsState* part = PanelsState::current();
        Panel* panel = part ? part->panels().panel(handle) : nullptr;
        if (!panel || !panel->callback)
            return;
        if (isCommand(event))
            settleFocusedField();
        part->followHooks.runCallback(handle, kPanelItself, event,
                                      [callback = panel->callback, handle, event] {
                                          callback(handle, event, nullptr, 0, 0);
                                      });
    });
}

class ControlEventFilter : public QObject {
public:
    ControlEventFilter(int handle, QObject* parent) : QObject(parent), m_handle(handle) {}

    // True once for the click that the mouse's release of the button makes.
    bool clickedByMouse(const QPushButton* button) {
        return button && std::exchange(m_releasing, nullptr) == button;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QVariant id = watched->property("ctrlId");
        if (!id.isValid())
            return panelEvent(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // Filters see presses on a dimmed button too; the operator cannot use it.
            if (button && button->isEnabled() &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                postControlEvent(m_handle, id.toInt(), kEventLeftClick);
            break;
        case QEvent::MouseButtonRelease:
            // The release makes the click, if any, while it is handled, and its press has
            // raised the left click already. A press whose release never comes (a dialog came
            // up meanwhile and took it) leaves nothing behind: the next activation of the button
            // comes from elsewhere.
            if (button) {
                m_releasing = button;
                QMetaObject::invokeMethod(
                    this, [this] { m_releasing = nullptr; }, Qt::QueuedConnection);
            }
            break;
        case QEvent::MouseButtonDblClick:
            // The second click of a double-click is no second command.
            return button != nullptr;
        case QEvent::KeyPress:
            // Outside dialogs a push button takes no Return; a command button does.
            if (button && isReturn(static_cast<QKeyEvent*>(event))) {
                button->click();
                return true;
            }
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // A drop-down's list taking the keyboard is no change of control.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                postControlEvent(m_handle, id.toInt(),
                                 event->type() == QEvent::FocusIn ? kEventGotFocus
                                                                  : kEventLostFocus);
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool panelEvent(QEvent* event) {
        switch (event->type()) {
        case QEvent::Close:
            // The close box only asks; the program decides when the panel goes.
            event->ignore();
            postPanelEvent(m_handle, kEventClose);
            return true;
        case QEvent::WindowActivate:
            postPanelEvent(m_handle, kEventGotFocus);
            break;
        case QEvent::WindowDeactivate:
            postPanelEvent(m_handle, kEventLostFocus);
            break;
        default:
            break;
        }
        return false;
    }

    static bool isReturn(const QKeyEvent* key) {
        return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    }

    int m_handle;
    // The button whose mouse release is being handled.
    QPointer<QPushButton> m_releasing;
};

} // namespace

void raiseControlEvent(int panel, int control, int event) {
    postControlEvent(panel, control, event);
}

void connectControlEvents(int handle, Panel& panel) {
    auto* filter = new ControlEventFilter(handle, panel.widget.get());
    panel.widget->installEventFilter(filter);
    for (auto& [id, control] : panel.controls) {
        QWidget* widget = control.widget;
        if (!control.callback)
            continue;
        widget->installEventFilter(filter);
        const int ctrl = id;
        if (auto* button = qobject_cast<QPushButton*>(widget))
            // Activated without a mouse press (keyboard, shortcut, assistive technology), a
            // button raises the left click a mouse press would have raised.
            QObject::connect(button, &QPushButton::clicked, filter, [filter, button, handle, ctrl] {
                if (!filter->clickedByMouse(button))
                    postControlEvent(handle, ctrl, kEventLeftClick);
                postControlEvent(handle, ctrl, kEventCommit);
            });
        else if (auto* ring = qobject_cast<QComboBox*>(widget))
            QObject::connect(ring, &QComboBox::activated, filter,
                             [handle, ctrl] { postControlEvent(handle, ctrl, kEventCommit); });
        else if (auto* radio = qobject_cast<QRadioButton*>(widget))
            QObject::connect(radio, &QRadioButton::clicked, filter, [handle, ctrl] {
                postControlEvent(handle, ctrl, kEventValueChanged);
            });
    }
}

} // namespace platform
