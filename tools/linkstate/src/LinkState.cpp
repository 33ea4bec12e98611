#include "LinkState.h"

#include <door/door.h>

namespace linkstate {

using platform::PortEventKind;

namespace {

// Where the order word sits in a request, and the first payload word in a frame.
constexpr int kOrderOffset = 2;
constexpr int kFirstWordOffset = 4;

int wordAt(const QByteArray& bytes, int offset) {
    return static_cast<unsigned char>(bytes[offset]) * 256 +
           static_cast<unsigned char>(bytes[offset + 1]);
}

// How many bytes the reply to an order holds; 0 for the writes, which the sensor does not
// answer.
int replyBytes(int order) {
    switch (order) {
    case ORDER_WRITE_RAM:
    case ORDER_WRITE_EEPROM:
        return 0;
    case ORDER_FIRMWARE:
        return door::kFirmwareBytes;
    case ORDER_DATA_BLOCK:
        return DATA_BLOCK_BYTES;
    default:
        return door::kFrameBytes;
    }
}

} // namespace

bool LinkState::onPortEvent(const platform::PortEvent& event, int portInUse) {
    if (event.port != portInUse)
        return false;
    switch (event.kind) {
    case PortEventKind::Opened:
        m_state = State::Open;
        m_awaited.reset();
        break;
    case PortEventKind::OpenFailed:
        m_state = State::CannotOpen;
        m_awaited.reset();
        break;
    case PortEventKind::Gone:
        m_state = State::Gone;
        m_awaited.reset();
        break;
    case PortEventKind::Sent: {
        // The state is the last outcome until this request has its own.
        const int order =
            event.bytes.size() < kFirstWordOffset ? 0 : wordAt(event.bytes, kOrderOffset);
        const int bytes = replyBytes(order);
        m_awaited = bytes > 0 ? std::optional(Awaited{order, bytes}) : std::nullopt;
        // A write has no outcome to wait for: sent whole, it is its own.
        if (m_awaited || event.bytes.size() < door::kFrameBytes)
            return false;
        m_state = State::Written;
        break;
    }
    case PortEventKind::Received:
        if (m_awaited) {
            m_state = outcome(event);
            m_awaited.reset();
        } else if (m_state == State::Unanswered) {
            m_state = State::AnsweredLate;
        } else {
            return false;
        }
        break;
    case PortEventKind::Unanswered:
        if (!m_awaited)
            return false;
        m_state = State::Unanswered;
        m_awaited.reset();
        break;
    case PortEventKind::Dropped:
    case PortEventKind::Skipped:
    case PortEventKind::Advice:
        return false;
    }
    if (m_state != State::Written)
        m_judged = m_state;
    m_device = event.device;
    m_cause = event.cause;
    return true;
}

State LinkState::outcome(const platform::PortEvent& received) const {
    if (received.bytes.isEmpty())
        return State::Unanswered;
    if (received.malformed)
        return State::Malformed;
    if (received.bytes.size() < m_awaited->bytes)
        return State::ShortAnswer;
    // Button teach sends the same code; its reply is judged as the line check's.
    if (m_awaited->order == ORDER_LINE_CHECK &&
        wordAt(received.bytes, kFirstWordOffset) != ECHO_MARKER)
        return State::WrongEcho;
    return State::Answered;
}

QString stateText(State state) {
    switch (state) {
    case State::NotOpen:
        return QStringLiteral("not open");
    case State::Open:
        return QStringLiteral("open");
    case State::Answered:
        return QStringLiteral("answered");
    case State::Malformed:
        return QStringLiteral("answered, malformed");
    case State::WrongEcho:
        return QStringLiteral("answered, wrong echo");
    case State::ShortAnswer:
        return QStringLiteral("short answer");
    case State::Unanswered:
        return QStringLiteral("no answer");
    case State::AnsweredLate:
        return QStringLiteral("answered late");
    case State::Written:
        return QStringLiteral("sent, no reply expected");
    case State::CannotOpen:
        return QStringLiteral("cannot open");
    case State::Gone:
        return QStringLiteral("device gone");
    }
    return {};
}

QString stateExplanation(State state) {
    switch (state) {
    case State::NotOpen:
        return QStringLiteral("No port has been opened yet.");
    case State::Open:
        return QStringLiteral("The port is open; nothing has been answered on it yet.");
    case State::Answered:
        return QStringLiteral("The sensor answered the last request.");
    case State::Malformed:
        return QStringLiteral("The reply did not begin with its request's sync and order word; "
                              "the values it brought are doubtful.");
    case State::WrongEcho:
        return QStringLiteral("The echo check's reply did not carry its marker 0x00AA.");
    case State::ShortAnswer:
        return QStringLiteral("The reply was shorter than the request's reply must be.");
    case State::Unanswered:
        return QStringLiteral("No reply came before the wait for it ended; the values shown are "
                              "older.");
    case State::AnsweredLate:
        return QStringLiteral("A reply came after its wait had ended; the values shown are "
                              "older.");
    case State::Written:
        return QStringLiteral("The last request was a write, which the sensor does not answer; "
                              "it tells nothing new of the link.");
    case State::CannotOpen:
        return QStringLiteral("The port could not be opened.");
    case State::Gone:
        return QStringLiteral("The device has gone; the values shown are older.");
    }
    return {};
}

} // namespace linkstate
