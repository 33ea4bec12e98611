// One serial port, on a serial device or a device server's connection (Transport.h), with
// what the program relies on and Qt does not give by itself: writes that reach the line at once,
// reads and queue lengths that work while no events are processed, a receive notification that runs
// only from event processing, one user per device, and a device that disappears ending in
// closed-port failures instead of an error storm.
#pragma once

#include "ArrivalAllowance.h"
#include "PreciseTimer.h"
#include "SocketTransport.h"
#include "TtyTransport.h"

#include <platform/linkevents.h>
#include <platform/serial.h>

#include <QByteArray>

#include <chrono>

namespace platform {

class ComPort : public QObject {
    Q_OBJECT

public:
    explicit ComPort(int number);

    // Returns 0, or one of the negative results of OpenComConfig. The input queue holds at
    // most inputQueueSize bytes: what comes beyond waits in the device, as it does in a full
    // driver, so that a device that floods the line costs no more than one that does not.
    int open(const QString& device, qint32 baudRate, int parity, int dataBits, int stopBits,
             int inputQueueSize);
    void close();
    bool isOpen() const { return m_line->isOpen(); }

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setHardwareHandshake(bool on);
    void installCallback(int eventMask, int notifyCount, ComCallbackPtr callback, void* data);

    // Returns once the bytes have left the line. What arrives meanwhile is dropped, and so is
    // what has arrived since the input was last flushed.
    int write(const char* data, int count);
    int read(char* data, int count);
    // Callers poll the length until enough has come or their time is up: when nothing has
    // come since the last poll, it waits for input as long as a wait for events would.
    int inputQueueLength();
    void flushInput();
    void flushOutput();

    // Runs the receive notification if it is due; called from event processing only.
    void notifyIfDue();
    // The program went on from its wait for the reply to the last request without one.
    void reportUnanswered() const;

    // Qt's port beneath a serial device, for tests that make it report what the device did.
    QSerialPort& qtPort() { return m_tty.qtPort(); }
    // Whether the device wakes the event loop when bytes come, rather than a rest's end; always
    // on the plain way, which never rests.
    bool watchesDevice() const;

private:
    using Clock = std::chrono::steady_clock;

    // The device or the connection has gone: the port closes from the event loop, once.
    void onLost(const QString& cause);
    void queueNotificationCheck();
    // Takes what Qt has read into the input queue, rearms the notification once the queue is
    // below the notify count, and sets when the device is to wake the event loop next.
    void settle();
    void setWakeThreshold(int bytes);
    // Bytes come no faster than the line brings them, and a reply's not before its request
    // has left the line. Until the missing ones can all be there, QSerialPort need not watch
    // the device: each byte would wake the user-interface thread only to find the frame still
    // incomplete.
    // Returns the bytes still to come for the notification. After a rest, one that saw no
    // byte come ends the resting until something comes or a new request leaves the line.
    int restUntilDue(int missing, bool afterRest = false);
    void endRest();
    // Sets the device's wake threshold for the bytes missing, some of them queued beneath.
    void watchFor(int missing, int toCome, int queued);
    int missingForNotification() const;
    // The most bytes the line can have brought since the input was last flushed.
    int broughtSinceFlush() const;
    // What Qt has read, as much as the input queue has room for.
    QByteArray takeFromQt();
    // Moves what the driver holds into the input queue, waiting at most the given time for it.
    void pull(std::chrono::milliseconds wait);
    // Waits for input without taking it into the input queue.
    void waitForInput(std::chrono::milliseconds wait);
    // Nothing the sensor sends before it has a whole request can answer it: whatever arrives
    // until then is the rest of an earlier reply or noise, and is dropped.
    void dropUntil(Clock::time_point requestLeftLine);
    Clock::duration lineTime(int bytes) const;
    // A reply begins as its request did, with the sync and the order word. Bytes ahead of that
    // header came after the request had left the line (a trailing CR, a checksum, noise):
    // they are skipped, so that the frame is read from its start and its rest awaited. Where
    // the header appears nowhere, the bytes are taken as they stand.
    void skipToReplyHeader();
    // The reply to a request before this one, which no read took, may still come (a live view
    // stopped while its last request was out): until the header of this one's reply has come,
    // what has may be that reply or its tail. Up to two frames' worth is awaited; beyond that,
    // or with no such reply due, the bytes are taken as they stand.
    bool headerMayFollow() const;
    bool readsMalformedFrame(int count) const;
    // The firmware text has no header: while it is awaited, stray bytes ahead of its first
    // character are skipped in the same way (TextReply.h).
    void skipAheadOfText();
    // After the device has gone, the port closes; true when it is (still) usable.
    bool usable();
    // Bytes that no read will see.
    void drop(const QByteArray& bytes);
    void report(PortEventKind kind, const QByteArray& bytes = {}, int expected = 0,
                const QString& cause = {}, bool malformed = false) const;

    int m_number;
    QString m_device;
    QString m_lostCause;
    TtyTransport m_tty;
    SocketTransport m_socket;
    // The one of them the device names.
    Transport* m_line = &m_tty;
    // The bytes received and not yet read, oldest first.
    QByteArray m_input;
    qsizetype m_inputCapacity = 1;
    // How the reply to the last request begins; empty after a request of another length than
    // a frame (the notify count).
    QByteArray m_replyHeader;
    // The last request was the firmware query, and no read has taken its reply yet.
    bool m_textAwaited = false;
    // The last request awaits a frame that no read has taken yet.
    bool m_replyUnread = false;
    // ... and so did the one before it, which the program waited for (a write's is not), within
    // the port's time limit of this one's write.
    bool m_earlierReplyDue = false;
    // How many bytes have come into the input queue in all, and how many had when the length
    // was last asked for.
    qint64 m_received = 0;
    qint64 m_receivedWhenAsked = -1;
    // ... and had when the last request left the line.
    qint64 m_receivedWhenLeft = 0;
    std::chrono::milliseconds m_timeout{2000};
    qint32 m_baudRate = 0;
    int m_bitsPerByte = 10;
    ComCallbackPtr m_callback = nullptr;
    void* m_callbackData = nullptr;
    int m_eventMask = 0;
    int m_notifyCount = 1;
    bool m_armed = true;
    bool m_checkQueued = false;
    bool m_lost = false;
    bool m_flushedSinceRequest = false;
    // A request has left the line or bytes have come, so that a rest can expect its frame.
    // While nothing is on its way (the line idle, the sender late), the port watches the
    // device instead: a rest would only wake the program to find nothing there again.
    bool m_frameOnItsWay = false;
    // The bytes still to come when the last rest began.
    int m_toComeWhenRested = 0;
    // Bytes the device must hold before a wait for input returns, as last set on it.
    int m_wakeThreshold = 0;
    Clock::time_point m_requestLeftLine;
    Clock::time_point m_flushedAt;
    // Ends the rest from watching the device, once the frame can be complete and has usually
    // come.
    PreciseTimer m_restTimer;
    ArrivalAllowance m_allowance{Clock::duration::zero()};
};

} // namespace platform
