// The state of the link in use, from the exchanges on its port: each request, what its reply
// brought, a wait the program ended without one, and the port's opens and losses.
#pragma once

#include <platform/linkevents.h>

#include <QString>

#include <optional>

namespace linkstate {

enum class State {
    NotOpen,
    Open,
    Answered,
    // A reply that does not begin with its request's sync and order word.
    Malformed,
    // An echo check answered without its marker.
    WrongEcho,
    // Fewer bytes than the request's reply holds.
    ShortAnswer,
    // The program's wait ended before a reply came.
    Unanswered,
    // A reply came after its wait had ended.
    AnsweredLate,
    // A write went out whole; the sensor does not answer one.
    Written,
    CannotOpen,
    Gone
};

class LinkState {
public:
    // Events of other ports than the one in use change nothing. False for an event that
    // cannot change the state.
    bool onPortEvent(const platform::PortEvent& event, int portInUse);

    State state() const { return m_state; }
    QString device() const { return m_device; }
    QString cause() const { return m_cause; }
    // The values shown date from before the last exchange that could be answered. A write
    // tells nothing of them: it leaves them as the exchange before left them.
    bool stale() const {
        return m_judged == State::Unanswered || m_judged == State::AnsweredLate ||
               m_judged == State::Gone;
    }
    // The values shown came from a reply that was not the request's.
    bool doubtful() const { return m_judged == State::Malformed; }
    // The state that stale() and doubtful() come from.
    State judged() const { return m_judged; }

private:
    // What the last request's reply must be, while it is awaited.
    struct Awaited {
        int order;
        int bytes;
    };

    State outcome(const platform::PortEvent& received) const;

    State m_state = State::NotOpen;
    State m_judged = State::NotOpen;
    std::optional<Awaited> m_awaited;
    QString m_device;
    QString m_cause;
};

QString stateText(State state);
// Why the state is what it is, in a sentence.
QString stateExplanation(State state);

} // namespace linkstate
