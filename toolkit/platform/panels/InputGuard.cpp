#include "InputGuard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>

namespace platform {

namespace {

// Keys that step a closed drop-down to another entry at once.
bool stepsEntry(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    default:
        // Typing a letter searches the entries and takes the first that matches.
        return !key->text().trimmed().isEmpty();
    }
}

class InputGuard : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Wheel)
            return !widget->hasFocus();
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* ring = qobject_cast<QComboBox*>(widget);
        if (!ring || !stepsEntry(static_cast<QKeyEvent*>(event)))
            return false;
        // The arrows open the list instead, where the operator picks with Return.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down)
            ring->showPopup();
        return true;
    }
};

} // namespace

void guardPanelInput(QWidget* panel) {
    auto* guard = new InputGuard(panel);
    for (QWidget* widget : panel->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(widget) && !qobject_cast<QAbstractSpinBox*>(widget))
            continue;
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->installEventFilter(guard);
    }
}

} // namespace platform
