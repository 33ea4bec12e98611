// A serial device behind a device server (ser2net, or the boxes that speak as it does),
// reached at tcp://HOST:PORT, the raw byte stream, or rfc2217://HOST:PORT, telnet with the
// COM-PORT-OPTION that sets the server's line as the port asks. The socket's low-water mark is
// its wake threshold, so that a frame whose bytes come one by one wakes the port once. There is
// no notifier to rest on.
#pragma once

#include "ServerWindow.h"
#include "TelnetComPort.h"
#include "Transport.h"

#include <QTcpSocket>
#include <QTimer>

#include <optional>

namespace platform {

class SocketTransport : public Transport {
    Q_OBJECT

public:
    SocketTransport();

    int open(const QString& device, const LineSettings& settings, std::chrono::milliseconds limit,
             QString& cause) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    // The server's line has no handshake lines to the client.
    void setHardwareHandshake(bool) override {}

    qint64 write(const char* data, qint64 count) override;
    void flush() override { m_socket.flush(); }
    qint64 bytesToWrite() const override { return m_socket.bytesToWrite(); }
    bool waitForBytesWritten(int milliseconds) override {
        return m_socket.waitForBytesWritten(milliseconds);
    }

    qint64 bytesAvailable() override;
    QByteArray read(qint64 count) override;
    bool waitForReadyRead(int milliseconds) override;
    bool waitForInput(std::chrono::nanoseconds wait) override;
    int queuedBytes() const override { return 0; }
    // The socket's low-water mark, no higher than the server's window (ServerWindow.h).
    bool setWakeThreshold(int bytes) override;
    // Looks at what waits below the threshold, as the window asks.
    void checkWindow();
    void clearInput() override;
    // What was handed to the system is on its way; nothing is held back to clear.
    void clearOutput() override {}

private:
    // Takes what the socket holds into the payload, answering the server's telnet commands.
    void takeIn();
    void answerTelnet();
    // Acknowledges what has come at once rather than with the system's delay.
    void acknowledge();
    int negotiate(std::chrono::milliseconds limit, QString& cause);
    void onError(QAbstractSocket::SocketError error);
    void setLowWater(int bytes);

    QTcpSocket m_socket;
    std::optional<TelnetComPort> m_telnet;
    // The payload taken from the socket and not yet read.
    QByteArray m_payload;
    qsizetype m_capacity = 1;
    ServerWindow m_window;
    QTimer m_windowCheck;
    int m_threshold = 1;
    bool m_advised = false;
    bool m_open = false;
    bool m_lost = false;
};

} // namespace platform
