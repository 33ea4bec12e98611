// One serial port on QSerialPort, with what the program relies on and Qt does not give by
// itself: writes that reach the line at once, reads and queue lengths that work while no
// events are processed, a receive notification that runs only from event processing, and a
// device that disappears ending in closed-port failures instead of an error storm.
#pragma once

#include <platform/serial.h>

#include <QSerialPort>

#include <chrono>
#include <cstdint>

namespace platform {

class ComPort : public QObject {
    Q_OBJECT

public:
    // How long a poll of the input queue waits for bytes when none are there.
    static constexpr std::chrono::milliseconds kPollWait{1};

    explicit ComPort(int number);

    // Returns 0, or one of the negative results of OpenComConfig.
    int open(const QString& device, qint32 baudRate, int parity, int dataBits, int stopBits);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setHardwareHandshake(bool on);
    void installCallback(int eventMask, int notifyCount, ComCallbackPtr callback, void* data);

    int write(const char* data, int count);
    int read(char* data, int count);
    int inputQueueLength();
    void flushInput();
    void flushOutput();

    // Runs the receive notification if it is due; called from event processing only.
    void notifyIfDue();

    // Bytes that have left for the device since the port was opened.
    std::uint64_t bytesWritten() const;

private:
    void onError(QSerialPort::SerialPortError error);
    void queueNotificationCheck();
    void rearmWhenBelowCount();
    // Moves what the driver holds into Qt's buffer, waiting at most the given time for it.
    void pull(std::chrono::milliseconds wait);
    // After the device has gone, the port closes; true when it is (still) usable.
    bool usable();

    int m_number;
    QSerialPort m_port;
    std::chrono::milliseconds m_timeout{2000};
    ComCallbackPtr m_callback = nullptr;
    void* m_callbackData = nullptr;
    int m_eventMask = 0;
    int m_notifyCount = 1;
    bool m_armed = true;
    bool m_checkQueued = false;
    bool m_lost = false;
    // Bytes the device must hold before the event loop hears of them: the notify count
    // while the notification is installed, else any byte (0).
    int m_wakeThreshold = 0;
    std::uint64_t m_bytesQueued = 0;
    std::uint64_t m_bytesDiscarded = 0;
};

} // namespace platform
