// A one-shot timer to the microsecond where the system has one (Linux's timerfd), to the
// millisecond, never early, elsewhere. A port's rest ends with it when a frame can be complete:
// Qt's timers count whole milliseconds, so they would wake the program early for a frame's last
// bytes or end the rest late.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

namespace platform {

class PreciseTimer : public QObject {
    Q_OBJECT

public:
    explicit PreciseTimer(QObject* parent = nullptr);
    ~PreciseTimer() override;

    void start(std::chrono::nanoseconds interval);
    void stop();

signals:
    void timeout();

private:
    void expired();

    static constexpr std::chrono::microseconds kSameMoment{25};

    int m_handle = -1;
    bool m_armed = false;
    std::chrono::steady_clock::time_point m_deadline;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_fallback;
};

} // namespace platform
