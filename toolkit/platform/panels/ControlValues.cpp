#include "ControlValues.h"

#include <platform/attach.h>

#include "Lamp.h"
#include "NumericField.h"
#include "PanelsState.h"
#include "TextPlacement.h"

#include <QComboBox>
#include <QLabel>
#include <QLCDNumber>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace platform {

namespace {

constexpr int kValueRole = kRingValueRole;
// Marks the item a drop-down adds to show a value that none of its own items carries.
constexpr int kExtraItemRole = Qt::UserRole + 1;

constexpr const char* kUserMinimum = NumericField::kUserMinimum;
constexpr const char* kUserMaximum = NumericField::kUserMaximum;

void prepareRing(QComboBox* ring) {
    // Items carry the numbers listed in "itemValues"; without the list, their index.
    const QStringList listed =
        ring->property("itemValues").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < ring->count(); ++i) {
        int value = i;
        if (i < listed.size()) {
            bool ok = false;
            const int listedValue = listed[i].trimmed().toInt(&ok);
            value = ok ? listedValue : i;
        }
        ring->setItemData(i, value, kValueRole);
    }
}

int extraItemIndex(const QComboBox* ring) {
    for (int i = 0; i < ring->count(); ++i)
        if (ring->itemData(i, kExtraItemRole).toBool())
            return i;
    return -1;
}

void setRingValue(QComboBox* ring, qint64 value) {
    const int extra = extraItemIndex(ring);
    for (int i = 0; i < ring->count(); ++i) {
        if (i != extra && ring->itemData(i, kValueRole).toLongLong() == value) {
            ring->setCurrentIndex(i);
            if (extra >= 0)
                ring->removeItem(extra);
            return;
        }
    }
    if (extra >= 0) {
        ring->setItemText(extra, QString::number(value));
        ring->setItemData(extra, value, kValueRole);
        ring->setCurrentIndex(extra);
        return;
    }
    ring->addItem(QString::number(value));
    const int added = ring->count() - 1;
    ring->setItemData(added, value, kValueRole);
    ring->setItemData(added, true, kExtraItemRole);
    ring->setCurrentIndex(added);
}

void setSpinValue(QSpinBox* spin, qint64 value) {
    // The program may show any value it holds, also one outside what the operator may
    // enter; the range widens for it and narrows again with the next value in range. What is
    // typed is judged by the operator's range all the while (NumericField).
    const int low = static_cast<int>(std::min(spin->property(kUserMinimum).toLongLong(), value));
    const int high = static_cast<int>(std::max(spin->property(kUserMaximum).toLongLong(), value));
    if (spin->minimum() != low || spin->maximum() != high)
        spin->setRange(low, high);
    else if (spin->value() == value && spin->hasAcceptableInput())
        return; // setValue() repaints the field even when it shows that value already
    spin->setValue(static_cast<int>(value));
}

} // namespace

void prepareControlValue(Control& control) {
    if (auto* ring = qobject_cast<QComboBox*>(control.widget))
        prepareRing(ring);
    if (auto* spin = qobject_cast<QSpinBox*>(control.widget)) {
        spin->setProperty(kUserMinimum, spin->minimum());
        spin->setProperty(kUserMaximum, spin->maximum());
        // The field paints its own background: a blink of its text cursor then repaints the
        // field alone, not the spin box's frame and buttons beneath it.
        if (auto* field = spin->findChild<QLineEdit*>())
            field->setAutoFillBackground(true);
    }
}

std::optional<qint64> controlValue(const Control& control) {
    QWidget* widget = control.widget;
    if (const auto pending = PanelsState::current()->pendingValues().find(widget))
        return pending;
    if (auto* ring = qobject_cast<QComboBox*>(widget))
        return ring->currentIndex() < 0 ? 0 : ring->currentData(kValueRole).toLongLong();
    if (auto* radio = qobject_cast<QRadioButton*>(widget))
        return radio->isChecked() ? 1 : 0;
    if (auto* spin = qobject_cast<QSpinBox*>(widget))
        return spin->value();
    if (auto* display = qobject_cast<QLCDNumber*>(widget))
        return display->intValue();
    if (auto* lamp = qobject_cast<Lamp*>(widget))
        return lamp->isOn() ? 1 : 0;
    return std::nullopt;
}

bool setControlValue(Control& control, qint64 value) {
    QWidget* widget = control.widget;
    if (auto* ring = qobject_cast<QComboBox*>(widget)) {
        setRingValue(ring, value);
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        radio->setChecked(value != 0);
    } else if (qobject_cast<QSpinBox*>(widget) || qobject_cast<QLCDNumber*>(widget)) {
        PanelsState::current()->pendingValues().hold(widget, value);
    } else if (auto* lamp = qobject_cast<Lamp*>(widget)) {
        PendingValues& pending = PanelsState::current()->pendingValues();
        if (pending.isFrozen(lamp))
            pending.hold(lamp, value != 0);
        else
            lamp->setOn(value != 0);
    } else if (qobject_cast<QLabel*>(widget)) {
        return setControlText(control, QString::number(value));
    } else {
        return false;
    }
    return true;
}

void applyPendingValues() {
    PanelsState* part = PanelsState::current();
    if (!part)
        return;
    // Taken first: applying a value may run code that writes again.
    for (const PendingValues::Value& value : part->pendingValues().take()) {
        if (auto* spin = qobject_cast<QSpinBox*>(value.widget))
            setSpinValue(spin, value.value);
        else if (auto* display = qobject_cast<QLCDNumber*>(value.widget))
            display->display(static_cast<int>(value.value));
        else if (auto* lamp = qobject_cast<Lamp*>(value.widget))
            lamp->setOn(value.value != 0);
    }
}

bool setControlText(Control& control, const QString& text) {
    auto* label = qobject_cast<QLabel*>(control.widget);
    if (!label)
        return false;
    label->setText(text);
    // What a text says now is its name, which a screen reader's flat review reads. A text with
    // a name of its own in the panel file (the status line) keeps that as its description, so
    // that what it is can still be found.
    if (!fitText(label) && label->accessibleDescription().isEmpty())
        label->setAccessibleDescription(label->accessibleName());
    label->setAccessibleName(text);
    return true;
}

} // namespace platform
