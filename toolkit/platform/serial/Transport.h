// The byte stream beneath a port: a serial device, or a connection to a serial device server.
// The port's rules (writes that return once the bytes have left the line, the stray-byte
// rule, the receive notification) sit above it and are the same for either.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>

class QSocketNotifier;

namespace platform {

struct LineSettings {
    qint32 baudRate;
    int parity;
    int dataBits;
    int stopBits;
    // The most bytes held unread: what comes beyond waits in the device or the connection.
    qsizetype inputCapacity;
};

// Parity 0 to 4: none, odd, even, mark, space.
constexpr bool validLineSettings(const LineSettings& settings) {
    return settings.baudRate > 0 && settings.parity >= 0 && settings.parity < 5 &&
           settings.dataBits >= 5 && settings.dataBits <= 8 &&
           (settings.stopBits == 1 || settings.stopBits == 2);
}

class Transport : public QObject {
    Q_OBJECT

public:
    // Returns 0, or one of the negative results of OpenComConfig with its cause. Waits at most
    // `limit` for a device server.
    virtual int open(const QString& device, const LineSettings& settings,
                     std::chrono::milliseconds limit, QString& cause) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void setHardwareHandshake(bool on) = 0;

    // Takes the bytes to send; returns how many it took, or -1.
    virtual qint64 write(const char* data, qint64 count) = 0;
    // Hands what was taken to the system without waiting.
    virtual void flush() = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual bool waitForBytesWritten(int milliseconds) = 0;

    // The received bytes held, and as many of them as asked for, oldest first.
    virtual qint64 bytesAvailable() = 0;
    virtual QByteArray read(qint64 count) = 0;
    // Waits for bytes and takes them in, emitting readyRead.
    virtual bool waitForReadyRead(int milliseconds) = 0;
    // Waits at most the given time for input without taking it in; true when some is there,
    // or the device has gone.
    virtual bool waitForInput(std::chrono::nanoseconds wait) = 0;
    // Bytes that have come and wait beneath, not yet taken in; 0 where it cannot tell.
    virtual int queuedBytes() const = 0;
    virtual void clearInput() = 0;
    virtual void clearOutput() = 0;

    // What a port may rest on while a frame cannot be complete yet; none on the plain way.
    virtual QSocketNotifier* readNotifier() const { return nullptr; }
    // Bytes that must wait before the device wakes a wait; false where it cannot be set.
    virtual bool setWakeThreshold(int bytes) {
        Q_UNUSED(bytes)
        return false;
    }

signals:
    void readyRead();
    // The device or the connection has gone, and why.
    void lost(const QString& cause);
    // An error that was none: the device is still there, and is to be watched again.
    void stillThere();
    // Something about the line that the operator may want to change, said once.
    void advice(const QString& text);
};

} // namespace platform
