#include "PendingValues.h"

#include "ControlValues.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// The operator acts on what the program last wrote, also when the operator's action is
// delivered before the program lets events through.
class ApplyBeforeInput : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::FocusIn:
            applyPendingValues();
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

PendingValues::PendingValues() : m_inputGuard(new ApplyBeforeInput) {
    QCoreApplication::instance()->installEventFilter(m_inputGuard);
}

PendingValues::~PendingValues() {
    delete m_inputGuard;
}

void PendingValues::hold(QWidget* widget, qint64 value) {
    for (Value& held : m_values)
        if (held.widget == widget) {
            held.value = value;
            return;
        }
    m_values.push_back({widget, value});
}

std::optional<qint64> PendingValues::find(const QWidget* widget) const {
    for (const Value& held : m_values)
        if (held.widget == widget)
            return held.value;
    return std::nullopt;
}

std::vector<PendingValues::Value> PendingValues::take() {
    if (m_frozen.empty())
        return std::exchange(m_values, {});
    std::vector<Value> taken;
    std::erase_if(m_values, [&](const Value& held) {
        if (isFrozen(held.widget))
            return false;
        taken.push_back(held);
        return true;
    });
    return taken;
}

void PendingValues::freeze(QWidget* widget, bool frozen) {
    std::erase_if(m_frozen, [](const QPointer<QWidget>& gone) { return gone.isNull(); });
    if (frozen && !isFrozen(widget))
        m_frozen.emplace_back(widget);
    else if (!frozen)
        std::erase(m_frozen, widget);
}

bool PendingValues::isFrozen(const QWidget* widget) const {
    return std::find(m_frozen.begin(), m_frozen.end(), widget) != m_frozen.end();
}

} // namespace platform
