// Values written to value controls and numeric displays reach the widgets when the program
// next lets events through, or before the operator's next action on a control: a burst of
// writes, such as a live-view refresh, then costs one widget update and does not hold up the
// program. Reads see the values written.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace platform {

class PendingValues {
public:
    struct Value {
        QPointer<QWidget> widget;
        qint64 value;
    };

    // Watches the application's input, so that the operator acts on what the program wrote.
    PendingValues();
    ~PendingValues();
    PendingValues(const PendingValues&) = delete;
    PendingValues& operator=(const PendingValues&) = delete;

    void hold(QWidget* widget, qint64 value);
    std::optional<qint64> find(const QWidget* widget) const;
    // The values held for widgets that are not frozen, which are then no longer held.
    std::vector<Value> take();
    // A frozen widget's values stay held until it thaws.
    void freeze(QWidget* widget, bool frozen);
    bool isFrozen(const QWidget* widget) const;

private:
    std::vector<Value> m_values;
    std::vector<QPointer<QWidget>> m_frozen;
    QObject* m_inputGuard;
};

} // namespace platform
