#include "AccessibleControls.h"

#include "FieldNotice.h"
#include "Lamp.h"
#include "StripChart.h"

#include <QAccessibleWidget>
#include <QLCDNumber>

namespace platform {

namespace {

// A numeric display or a lamp: its value, and its state as text. Read-only: setting a value
// does nothing.
class ReadoutAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ReadoutAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    // Screen readers read the name and the description; the value goes in both, and the
    // description adds what the widget says of it (a value that is doubtful or not current).
    QString text(QAccessible::Text type) const override {
        if (type != QAccessible::Value && type != QAccessible::Description)
            return QAccessibleWidget::text(type);
        if (const QString note = widget()->accessibleDescription();
            type == QAccessible::Description && !note.isEmpty())
            return text(QAccessible::Value) + QStringLiteral(", ") + note;
        if (const auto* lamp = qobject_cast<const Lamp*>(widget()))
            return lamp->isOn() ? Lamp::tr("on") : Lamp::tr("off");
        return QString::number(currentValue().toInt());
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (const auto* lamp = qobject_cast<const Lamp*>(widget())) {
            state.checkable = true;
            state.checked = lamp->isOn();
        }
        return state;
    }

    QVariant currentValue() const override {
        if (const auto* lamp = qobject_cast<const Lamp*>(widget()))
            return lamp->isOn() ? 1 : 0;
        return static_cast<const QLCDNumber*>(widget())->intValue();
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override {
        return qobject_cast<const Lamp*>(widget()) ? 1 : 0xFFFF;
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

// A strip chart: which it is by name, what it shows last in its description.
class ChartAccessible : public QAccessibleWidget {
public:
    explicit ChartAccessible(StripChart* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}

    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Description ? static_cast<StripChart*>(widget())->summary()
                                                : QAccessibleWidget::text(type);
    }
};

// A notice under a field: a notification, announced as it shows.
class NoticeAccessible : public QAccessibleWidget {
public:
    explicit NoticeAccessible(FieldNotice* notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}

    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Name ? static_cast<FieldNotice*>(widget())->text()
                                         : QAccessibleWidget::text(type);
    }
};

QAccessibleInterface* accessibleControl(const QString&, QObject* object) {
    if (auto* notice = qobject_cast<FieldNotice*>(object))
        return new NoticeAccessible(notice);
    if (auto* chart = qobject_cast<StripChart*>(object))
        return new ChartAccessible(chart);
    if (auto* lamp = qobject_cast<Lamp*>(object))
        return new ReadoutAccessible(lamp);
    if (auto* display = qobject_cast<QLCDNumber*>(object))
        return new ReadoutAccessible(display);
    return nullptr;
}

} // namespace

void installAccessibleControls() {
    // Qt keeps a factory once, however often it is installed.
    QAccessible::installFactory(accessibleControl);
}

} // namespace platform
