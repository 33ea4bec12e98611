#include "RadioGroupKeys.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QRadioButton>

namespace platform {

namespace {

class RadioGroupKeys : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* radio = static_cast<QRadioButton*>(watched);
        int step = 0;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        default:
            return false;
        }
        // The buttons in the order the group lists them, which is the panel file's order.
        const QList<QAbstractButton*> buttons = radio->group()->buttons();
        const auto count = buttons.size();
        for (auto i = buttons.indexOf(radio) + step; i >= 0 && i < count; i += step) {
            if (buttons[i]->isEnabled() && buttons[i]->isVisible()) {
                buttons[i]->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
                break;
            }
        }
        return true;
    }
};

} // namespace

void connectRadioGroupKeys(QWidget* panel) {
    auto* keys = new RadioGroupKeys(panel);
    for (QRadioButton* radio : panel->findChildren<QRadioButton*>())
        if (radio->group() && !radio->group()->exclusive())
            radio->installEventFilter(keys);
}

} // namespace platform
