#include "ButtonShortcuts.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

namespace platform {

void addPanelShortcuts(QWidget* panel) {
    // A button's shortcut does nothing while the button is dimmed or hidden.
    for (QAbstractButton* button : panel->findChildren<QAbstractButton*>()) {
        const QKeySequence shortcut = button->shortcut();
        if (!shortcut.isEmpty())
            button->setToolTip(QStringLiteral("%1 (%2)").arg(
                button->toolTip(), shortcut.toString(QKeySequence::NativeText)));
    }
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), panel);
    QObject::connect(close, &QShortcut::activated, panel, &QWidget::close);
}

} // namespace platform
