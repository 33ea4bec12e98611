// Whether an exchange with the sensor is waiting, so that no command of the service tools
// starts meanwhile and takes its reply: a callback of the program's that talks to the sensor
// runs (Get, Send, a teach, the live view, the port), or a service tool reads. One watch a
// panel, shared by every tool that starts an exchange of its own.
#pragma once

#include <QObject>

class QWidget;

namespace exchanges {

// Get, Send, the two teaches, Run and the port: their callbacks talk to the sensor.
bool isLinkControl(int control);

class ExchangeWatch : public QObject {
    Q_OBJECT
public:
    // The panel's watch: made on first use, and told of the panel's callbacks from then on.
    static ExchangeWatch& of(int panel, QWidget* widget);

    bool busy() const { return m_callbacks > 0 || m_toolReads > 0; }
    bool toolReading() const { return m_toolReads > 0; }
    // Run's callback is running: what the program shows in the parameter fields is live.
    bool liveView() const { return m_liveViews > 0; }

    // Held while a service tool waits for the sensor.
    class ToolRead {
    public:
        explicit ToolRead(ExchangeWatch& watch);
        ~ToolRead();
        ToolRead(const ToolRead&) = delete;
        ToolRead& operator=(const ToolRead&) = delete;

    private:
        ExchangeWatch& m_watch;
    };

signals:
    void busyChanged(bool busy);

private:
    explicit ExchangeWatch(QWidget* widget);

    void callbackStarted(int control, int event);
    void callbackEnded(int control, int event);
    void count(int& counter, int step);

    int m_callbacks = 0;
    int m_toolReads = 0;
    int m_liveViews = 0;
};

} // namespace exchanges
