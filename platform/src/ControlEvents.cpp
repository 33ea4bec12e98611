#include "ControlEvents.h"

#include "Toolkit.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace platform {

namespace {

void postControlEvent(int handle, int id, int event) {
    Toolkit::current()->dispatcher().post([handle, id, event] {
        // Looked up when dispatched: the panel may have gone in the meantime, and a control
        // that an earlier callback has dimmed or hidden no longer takes the operator's action.
        Control* control = Toolkit::current()->panels().control(handle, id);
        if (!control || !control->callback)
            return;
        if (control->widget->isEnabled() && control->widget->isVisible())
            control->callback(handle, id, event, nullptr, 0, 0);
    });
}

void postPanelEvent(int handle, int event) {
    Toolkit::current()->dispatcher().post([handle, event] {
        if (Panel* panel = Toolkit::current()->panels().panel(handle); panel && panel->callback)
            panel->callback(handle, event, nullptr, 0, 0);
    });
}

class ControlEventFilter : public QObject {
public:
    ControlEventFilter(int handle, QObject* parent) : QObject(parent), m_handle(handle) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QVariant id = watched->property("ctrlId");
        if (!id.isValid())
            return panelEvent(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // Filters see presses on a dimmed button too; the operator cannot use it.
            if (qobject_cast<QPushButton*>(watched) &&
                static_cast<QWidget*>(watched)->isEnabled() &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                postControlEvent(m_handle, id.toInt(), kEventLeftClick);
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

    int m_handle;
};

} // namespace

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
            QObject::connect(button, &QPushButton::clicked, filter,
                             [handle, ctrl] { postControlEvent(handle, ctrl, kEventCommit); });
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
