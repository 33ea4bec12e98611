#include "LinkState.h"

namespace linkstate {

using platform::PortEventKind;

bool LinkState::onPortEvent(const platform::PortEvent& event, int portInUse) {
    if (event.port != portInUse)
        return false;
    switch (event.kind) {
    case PortEventKind::Opened:
        m_state = State::Open;
        break;
    case PortEventKind::OpenFailed:
        m_state = State::CannotOpen;
        break;
    case PortEventKind::Gone:
        m_state = State::Gone;
        break;
    case PortEventKind::Received:
        // A read that got less than it waited for ran out of time.
        m_state = event.bytes.size() < event.expected ? State::Unanswered : State::Answered;
        break;
    case PortEventKind::Sent:
    case PortEventKind::Dropped:
    case PortEventKind::Skipped:
    case PortEventKind::Unanswered:
        return false;
    }
    m_device = event.device;
    m_cause = event.cause;
    return true;
}

void LinkState::onStatusText(const QString& text) {
    // Every wait whose reply does not come says so with a text of this start.
    if (m_state != State::Gone && m_state != State::CannotOpen &&
        text.startsWith(QLatin1String("Timeout")))
        m_state = State::Unanswered;
}

QString stateText(State state) {
    switch (state) {
    case State::NotOpen:
        return QStringLiteral("not open");
    case State::Open:
        return QStringLiteral("open");
    case State::Answered:
        return QStringLiteral("answered");
    case State::Unanswered:
        return QStringLiteral("no answer");
    case State::CannotOpen:
        return QStringLiteral("cannot open");
    case State::Gone:
        return QStringLiteral("device gone");
    }
    return {};
}

} // namespace linkstate
