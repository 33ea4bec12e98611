#include "OutcomeLine.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBoxLayout>

namespace logpanel {

namespace {

// A notification, named by what it says: shown anew, it is read out.
class OutcomeAccessible : public QAccessibleWidget {
public:
    explicit OutcomeAccessible(OutcomeLine* line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    // Said once: the tooltip, with the time, would be read out after it as its description.
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Name)
            return static_cast<OutcomeLine*>(widget())->outcome();
        return type == QAccessible::Description ? QString() : QAccessibleWidget::text(type);
    }
};

QAccessibleInterface* outcomeAccessible(const QString&, QObject* object) {
    auto* line = qobject_cast<OutcomeLine*>(object);
    return line ? new OutcomeAccessible(line) : nullptr;
}

} // namespace

OutcomeLine::OutcomeLine(linklog::LinkLog& log, QWidget* parent) : QLabel(parent) {
    QAccessible::installFactory(outcomeAccessible);
    setObjectName(QStringLiteral("outcomeLine"));
    setTextFormat(Qt::PlainText);
    setForegroundRole(QPalette::PlaceholderText);
    connect(&log, &linklog::LinkLog::appended, this, &OutcomeLine::take);
}

void OutcomeLine::placeUnder(QWidget* statusLine, OutcomeLine* line) {
    auto* row = qobject_cast<QBoxLayout*>(statusLine->parentWidget()->layout());
    const int at = row ? row->indexOf(statusLine) : -1;
    if (at < 0)
        return;
    const int stretch = row->stretch(at);
    row->removeWidget(statusLine);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(statusLine);
    column->addWidget(line);
    row->insertLayout(at, column, stretch);
}

void OutcomeLine::take(const linklog::Entry& entry) {
    // The frames on the wire are no outcome of their own.
    if (entry.kind == linklog::EntryKind::Sent || entry.kind == linklog::EntryKind::Received)
        return;
    m_outcome = entry.text;
    m_time = entry.time.toLocalTime().toString(QStringLiteral("HH:mm:ss  "));
    setToolTip(m_time + m_outcome);
    showCut();
    // Hidden first, so that its showing is news to a screen reader again.
    if (isVisible()) {
        hide();
        show();
    }
}

// A long cause is cut short to the line's width rather than widening the window; the tooltip
// has it whole.
void OutcomeLine::showCut() {
    setText(fontMetrics().elidedText(m_time + m_outcome, Qt::ElideRight, width()));
}

void OutcomeLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showCut();
}

} // namespace logpanel
