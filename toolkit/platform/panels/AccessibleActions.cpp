#include "AccessibleActions.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QPushButton>
#include <QToolButton>

#include <utility>

namespace platform {

namespace {

QString withoutMnemonic(const QString& text) {
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            plain += text[i];
        else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
            plain += text[++i];
    }
    return plain;
}

// A button as Qt presents it (name, role, state, actions), except that its Toggle acts as its
// Press does: it clicks the button.
class ButtonAccessible : public QAccessibleWidget {
public:
    explicit ButtonAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QAccessible::Role role() const override {
        if (!button()->isCheckable())
            return QAccessible::Button;
        return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
    }

    QString text(QAccessible::Text type) const override {
        QString text;
        if (type == QAccessible::Name) {
            text = widget()->accessibleName();
            if (text.isEmpty())
                text = withoutMnemonic(button()->text());
        } else if (type == QAccessible::Accelerator) {
            const auto* push = qobject_cast<const QPushButton*>(button());
            text = (push && push->isDefault() ? QKeySequence(Qt::Key_Enter)
                                              : QKeySequence::mnemonic(button()->text()))
                       .toString(QKeySequence::NativeText);
        }
        return text.isEmpty() ? QAccessibleWidget::text(type) : text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        if (const auto* box = qobject_cast<const QCheckBox*>(button()))
            state.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
        state.pressed = button()->isDown();
        if (const auto* push = qobject_cast<const QPushButton*>(button()))
            state.defaultButton = push->isDefault();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction() && action != toggleAction())
            QAccessibleWidget::doAction(action);
        else if (widget()->isEnabled())
            button()->animateClick();
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if ((action == pressAction() || action == toggleAction()) &&
            !button()->shortcut().isEmpty())
            return {button()->shortcut().toString(QKeySequence::NativeText)};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

const QString kSelectionPickName = QStringLiteral("platformSelectionPick");

// Picks the item that the accessibility interface selects in a drop-down's closed list, as
// the operator's pick from the list does: the item becomes current and the drop-down reports
// it activated, once. In the open list the selection is the highlight the arrow keys and the
// mouse move, picked with Return or a click as always. The drop-down selects its current item
// just before it shows the list: a selection that the list's showing follows is no pick.
class SelectionPick : public QObject {
public:
    explicit SelectionPick(QComboBox* ring) : QObject(ring), m_ring(ring) {
        setObjectName(kSelectionPickName);
        ring->view()->window()->installEventFilter(this);
        connect(ring->view()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this](const QItemSelection& selected) {
                    if (selected.isEmpty() || listShown() || std::exchange(m_pending, true))
                        return;
                    QMetaObject::invokeMethod(
                        this, [this] { pickSelected(); }, Qt::QueuedConnection);
                });
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            m_pending = false;
        return false;
    }

private:
    bool listShown() const { return m_ring->view()->isVisible(); }

    void pickSelected() {
        if (!std::exchange(m_pending, false))
            return;
        const QModelIndexList selected = m_ring->view()->selectionModel()->selectedIndexes();
        if (selected.size() != 1 || listShown() || !m_ring->isEnabled() || !m_ring->isVisible())
            return;
        const int row = selected.constFirst().row();
        m_ring->setCurrentIndex(row);
        emit m_ring->activated(row);
        emit m_ring->textActivated(m_ring->itemText(row));
    }

    QComboBox* m_ring;
    // A selection made in the closed list waits to be picked.
    bool m_pending = false;
};

// The drop-down whose list this is, if any.
QComboBox* ringOfList(QAbstractItemView* list) {
    for (QObject* parent = list->parent(); parent; parent = parent->parent())
        if (auto* ring = qobject_cast<QComboBox*>(parent))
            return ring->view() == list ? ring : nullptr;
    return nullptr;
}

void pickOnSelection(QComboBox* ring) {
    if (ring && !ring->findChild<QObject*>(kSelectionPickName, Qt::FindDirectChildrenOnly))
        new SelectionPick(ring);
}

// Asked for every object assistive technology reaches, before Qt's own presentation: a
// drop-down, or its list, is reached before any item of the list can be selected.
QAccessibleInterface* accessibleAction(const QString&, QObject* object) {
    if (auto* ring = qobject_cast<QComboBox*>(object)) {
        pickOnSelection(ring);
        return nullptr;
    }
    if (auto* list = qobject_cast<QAbstractItemView*>(object)) {
        pickOnSelection(ringOfList(list));
        return nullptr;
    }
    auto* button = qobject_cast<QAbstractButton*>(object);
    if (!button || qobject_cast<QToolButton*>(object))
        return nullptr;
    if (const auto* push = qobject_cast<QPushButton*>(object); push && push->menu())
        return nullptr;
    return new ButtonAccessible(button);
}

} // namespace

void installAccessibleActions() {
    // Qt keeps a factory once, however often it is installed.
    QAccessible::installFactory(accessibleAction);
}

} // namespace platform
