#include "LinkFeed.h"

#include "TrafficText.h"

namespace logpanel {

using linklog::EntryKind;
using platform::PortEventKind;

namespace {
QString portOf(const platform::PortEvent& event) {
    return QStringLiteral("COM%1 %2").arg(event.port).arg(event.device);
}
} // namespace

void LinkFeed::onPortEvent(const platform::PortEvent& event) {
    switch (event.kind) {
    case PortEventKind::Opened:
        m_cause.clear();
        m_log.append(EntryKind::Note, portOf(event) + QStringLiteral(" opened"));
        return;
    case PortEventKind::OpenFailed:
        m_cause = portOf(event) + QStringLiteral(": ") + event.cause;
        return;
    case PortEventKind::Gone:
        m_log.append(EntryKind::Error,
                     portOf(event) + QStringLiteral(" has gone, port closed: ") + event.cause);
        return;
    case PortEventKind::Advice:
        m_log.append(EntryKind::Note, portOf(event) + QStringLiteral(": ") + event.cause);
        return;
    default:
        break;
    }
    if (!m_traffic)
        return;
    if (event.kind == PortEventKind::Sent)
        m_log.append(EntryKind::Sent, sentText(event.bytes));
    else if (event.kind == PortEventKind::Received)
        m_log.append(EntryKind::Received,
                     receivedText(event.bytes, event.expected, event.malformed));
    else if (event.kind == PortEventKind::Skipped)
        m_log.append(EntryKind::Received, skippedText(event.bytes));
    else if (event.kind == PortEventKind::Unanswered)
        m_log.append(EntryKind::Received, QStringLiteral("<- NO REPLY before the wait ended"));
    else
        m_log.append(EntryKind::Received, droppedText(event.bytes));
}

void LinkFeed::onStatusText(const QString& text) {
    if (m_cause.isEmpty()) {
        m_log.append(EntryKind::Status, text);
        return;
    }
    m_log.append(EntryKind::Status,
                 QStringLiteral("%1  (%2)").arg(text, std::exchange(m_cause, {})));
}

} // namespace logpanel
