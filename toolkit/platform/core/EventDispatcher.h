// Runs the program's callbacks, and only here: every user action and serial notification is
// queued by the widget layer and handed to its callback when RunUserInterface or
// ProcessSystemEvents dispatches. Callbacks may call ProcessSystemEvents, so dispatch nests.
#pragma once

#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace platform {

class EventDispatcher {
public:
    EventDispatcher() = default;
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    // Queues a call for the next dispatch.
    void post(std::function<void()> call);

    // The event loop: dispatches until requestQuit() has been called from a callback and
    // that callback has returned. Returns the code given to requestQuit().
    int run();
    void requestQuit(int returnCode);

    // Handles what is pending, waiting at most kLongestSleep for something to happen when
    // nothing is, then dispatches the queued calls.
    void processPending();

    // The program's waits look at Timer() whenever the seam returns and end once their own
    // limits have passed, limits the seam does not know. A wait with nothing happening
    // therefore returns after this long at most: a time-out ends at most that late (20 ms are
    // allowed; the rest is the scheduler's), and a silent line costs some 60 wake-ups a second,
    // not a thousand. It outlasts the rest a port takes while a frame comes down a 19200-baud
    // line, so that a live view's frame wakes the program no more often.
    static constexpr std::chrono::milliseconds kLongestSleep{17};

    // Something will wake the event loop at this moment (a port's rest ends). A bounded wait
    // that would otherwise end just before it waits for it instead, as long as a time-out
    // still ends in time.
    void expectWakeAt(std::chrono::steady_clock::time_point moment) { m_expectedWake = moment; }

    // What the panels do for the operator to see what the program has set: before events are
    // handled, and before a wait that lets no events through (a port's wait for bytes), which
    // then paints and handles nothing else. Empty, nothing is done.
    void setBeforeEvents(std::function<void()> hook) { m_beforeEvents = std::move(hook); }
    void setBeforeBlockingWait(std::function<void()> hook) {
        m_beforeBlockingWait = std::move(hook);
    }
    void beforeBlockingWait() const;

    // How deeply the program's calls nest: the event loop, each wait for events and each call
    // dispatched go one level deeper.
    int level() const { return m_level; }

private:
    class Deeper;

    void waitForEvents(bool bounded);
    void dispatchOne();

    std::deque<std::function<void()>> m_pending;
    std::function<void()> m_beforeEvents;
    std::function<void()> m_beforeBlockingWait;
    std::unique_ptr<QTimer> m_wakeTimer;
    std::chrono::steady_clock::time_point m_expectedWake;
    int m_level = 0;
    bool m_quitRequested = false;
    int m_returnCode = 0;
};

} // namespace platform
