// A serial device on QSerialPort, claimed for one user (DeviceLock), with what PortInternals
// reaches beneath Qt for resting through a frame.
#pragma once

#include "DeviceLock.h"
#include "PortInternals.h"
#include "Transport.h"

#include <QSerialPort>

namespace platform {

class TtyTransport : public Transport {
    Q_OBJECT

public:
    TtyTransport();

    int open(const QString& device, const LineSettings& settings, std::chrono::milliseconds limit,
             QString& cause) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void setHardwareHandshake(bool on) override;

    qint64 write(const char* data, qint64 count) override { return m_port.write(data, count); }
    void flush() override { m_port.flush(); }
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    bool waitForBytesWritten(int milliseconds) override {
        return m_port.waitForBytesWritten(milliseconds);
    }

    qint64 bytesAvailable() override { return m_port.bytesAvailable(); }
    QByteArray read(qint64 count) override { return m_port.read(count); }
    bool waitForReadyRead(int milliseconds) override {
        return m_port.waitForReadyRead(milliseconds);
    }
    bool waitForInput(std::chrono::nanoseconds wait) override;
    int queuedBytes() const override;
    void clearInput() override { m_port.clear(QSerialPort::Input); }
    void clearOutput() override { m_port.clear(QSerialPort::Output); }

    QSocketNotifier* readNotifier() const override { return m_internals.readNotifier(); }
    bool setWakeThreshold(int bytes) override { return m_internals.setWakeThreshold(bytes); }

    // Qt's port beneath, for tests that make it report what the device did.
    QSerialPort& qtPort() { return m_port; }

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    PortInternals m_internals{m_port};
    DeviceLock m_lock;
    bool m_lost = false;
};

} // namespace platform
