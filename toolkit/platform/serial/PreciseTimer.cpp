#include "PreciseTimer.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

#include <cstdint>

namespace platform {

PreciseTimer::PreciseTimer(QObject* parent) : QObject(parent) {
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &PreciseTimer::timeout);
#ifdef Q_OS_LINUX
    m_handle = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_handle < 0)
        return;
    m_notifier = new QSocketNotifier(m_handle, QSocketNotifier::Read, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &PreciseTimer::expired);
#endif
}

PreciseTimer::~PreciseTimer() {
#ifdef Q_OS_LINUX
    if (m_handle >= 0) {
        delete m_notifier;
        ::close(m_handle);
    }
#endif
}

void PreciseTimer::start(std::chrono::nanoseconds interval) {
    // Zero would disarm a timerfd: the shortest wait stands for "at once".
    interval = std::max(interval, std::chrono::nanoseconds(1));
#ifdef Q_OS_LINUX
    const auto deadline = std::chrono::steady_clock::now() + interval;
    // Asked again for the same moment, as a port is while a frame's bytes are handled: setting
    // the timer again would cost a system call each time and change nothing.
    if (m_armed && deadline - m_deadline < kSameMoment && m_deadline - deadline < kSameMoment)
        return;
    if (m_handle >= 0) {
        const auto seconds = std::chrono::floor<std::chrono::seconds>(interval);
        itimerspec setting{};
        setting.it_value.tv_sec = static_cast<time_t>(seconds.count());
        setting.it_value.tv_nsec = static_cast<long>((interval - seconds).count());
        if (timerfd_settime(m_handle, 0, &setting, nullptr) == 0) {
            m_notifier->setEnabled(true);
            m_armed = true;
            m_deadline = deadline;
            return;
        }
    }
#endif
    m_fallback.start(std::chrono::ceil<std::chrono::milliseconds>(interval));
}

void PreciseTimer::stop() {
    m_fallback.stop();
#ifdef Q_OS_LINUX
    if (m_armed) {
        m_armed = false;
        const itimerspec disarmed{};
        timerfd_settime(m_handle, 0, &disarmed, nullptr);
        m_notifier->setEnabled(false);
    }
#endif
}

void PreciseTimer::expired() {
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    if (::read(m_handle, &expirations, sizeof expirations) != sizeof expirations)
        return;
    m_notifier->setEnabled(false);
    m_armed = false;
#endif
    emit timeout();
}

} // namespace platform
