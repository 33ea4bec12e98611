// The state of the link in use, from the port's events and the program's status texts.
#pragma once

#include <platform/linkevents.h>

#include <QString>

namespace linkstate {

enum class State { NotOpen, Open, Answered, Unanswered, CannotOpen, Gone };

class LinkState {
public:
    // Events of other ports than the one in use change nothing. False for an event that
    // cannot change the state.
    bool onPortEvent(const platform::PortEvent& event, int portInUse);
    void onStatusText(const QString& text);

    State state() const { return m_state; }
    QString device() const { return m_device; }
    QString cause() const { return m_cause; }
    // The values shown date from before the last exchange.
    bool stale() const { return m_state == State::Unanswered || m_state == State::Gone; }

private:
    State m_state = State::NotOpen;
    QString m_device;
    QString m_cause;
};

QString stateText(State state);

} // namespace linkstate
