#include "EventDispatcher.h"

#include "Toolkit.h"

#include <QCoreApplication>

#include <algorithm>

namespace platform {

// One level deeper while it lives. Back up, the program's wait for a reply begun deeper is over.
class EventDispatcher::Deeper {
public:
    explicit Deeper(EventDispatcher& dispatcher) : m_dispatcher(dispatcher) {
        ++m_dispatcher.m_level;
    }
    ~Deeper() {
        --m_dispatcher.m_level;
        if (Toolkit* toolkit = Toolkit::current())
            toolkit->replyWait().levelLeft(m_dispatcher.m_level);
    }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

private:
    EventDispatcher& m_dispatcher;
};

void EventDispatcher::post(std::function<void()> call) {
    m_pending.push_back(std::move(call));
}

int EventDispatcher::run() {
    const Deeper deeper(*this);
    m_quitRequested = false;
    while (!m_quitRequested) {
        waitForEvents(false);
        // One call at a time, so that a quit requested by one callback stops the loop
        // before the next one runs.
        while (!m_quitRequested && !m_pending.empty())
            dispatchOne();
    }
    return m_returnCode;
}

void EventDispatcher::requestQuit(int returnCode) {
    m_returnCode = returnCode;
    m_quitRequested = true;
}

void EventDispatcher::processPending() {
    const Deeper deeper(*this);
    waitForEvents(true);
    while (!m_pending.empty())
        dispatchOne();
}

void EventDispatcher::beforeBlockingWait() const {
    if (m_beforeBlockingWait)
        m_beforeBlockingWait();
}

void EventDispatcher::dispatchOne() {
    auto call = std::move(m_pending.front());
    m_pending.pop_front();
    const Deeper deeper(*this);
    call();
}

void EventDispatcher::waitForEvents(bool bounded) {
    if (m_beforeEvents)
        m_beforeEvents();
    if (!m_pending.empty()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (!bounded) {
        if (m_wakeTimer)
            m_wakeTimer->stop();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return;
    }
    // processEvents returns at once when idle; waiting for more events with a timer as the
    // bound keeps a polling loop from spinning a core, yet wakes at once on input. The timer
    // starts afresh with every wait, so that it fires only when nothing else came first.
    if (!m_wakeTimer) {
        m_wakeTimer = std::make_unique<QTimer>();
        m_wakeTimer->setTimerType(Qt::PreciseTimer);
        m_wakeTimer->setSingleShot(true);
    }
    // A time-out may end at most 20 ms late; a wake expected within 19 ms comes soon enough.
    constexpr std::chrono::milliseconds kLatestLook{19};
    const auto untilExpected = std::chrono::ceil<std::chrono::milliseconds>(
        m_expectedWake - std::chrono::steady_clock::now());
    m_wakeTimer->start(untilExpected <= kLatestLook ? std::max(kLongestSleep, untilExpected)
                                                    : kLongestSleep);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace platform
