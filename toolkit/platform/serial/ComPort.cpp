#include "ComPort.h"

#include "LineTime.h"
#include "LinkEventHooks.h"
#include "OpenCause.h"
#include "SerialState.h"
#include "TextReply.h"
#include "TtyDevice.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace platform {

namespace {

// The sync word and the order word.
constexpr int kReplyHeaderBytes = 4;

int mapOpenError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return kComErrNoSuchPort;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::UnsupportedOperationError:
        return kComErrCannotOpen;
    case QSerialPort::ResourceError:
        return kComErrIo;
    default:
        return kComErrUnknownSystem;
    }
}

} // namespace

ComPort::ComPort(int number) : m_number(number) {
    // The signal only queues a check: the notification itself must not run inside a read
    // or a wait of the program's, which emit readyRead synchronously.
    connect(&m_port, &QSerialPort::readyRead, this, &ComPort::queueNotificationCheck);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ComPort::onError);
    connect(&m_restTimer, &PreciseTimer::timeout, this, &ComPort::endRest);
}

int ComPort::open(const QString& device, qint32 baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize) {
    close();
    m_inputCapacity = std::max(inputQueueSize, 1);
    m_lost = false;
    m_frameOnItsWay = false;
    m_flushedAt = Clock::now();
    m_wakeThreshold = 0;
    m_armed = true;
    m_device = device;
    const DeviceLock::Result locked = m_lock.take(device);
    if (locked != DeviceLock::Result::Taken) {
        report(PortEventKind::OpenFailed, {}, 0, lockFailureCause(locked, m_lock.error()));
        return locked == DeviceLock::Result::NoSuchDevice ? kComErrNoSuchPort : kComErrCannotOpen;
    }
    m_internals.choosePlain(plainSerialChosen());
    m_port.setPortName(device);
    m_port.setReadBufferSize(m_inputCapacity);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        report(PortEventKind::OpenFailed, {}, 0, openFailureCause(error, m_port.errorString()));
        close();
        return mapOpenError(error);
    }
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    const bool configured =
        baudRate > 0 && parity >= 0 && parity < 5 && dataBits >= 5 && dataBits <= 8 &&
        (stopBits == 1 || stopBits == 2) && m_port.setBaudRate(baudRate) &&
        m_port.setParity(parities[parity]) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) &&
        m_port.setStopBits(stopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        report(PortEventKind::OpenFailed, {}, 0, m_port.errorString());
        close();
        return kComErrIo;
    }
    m_baudRate = baudRate;
    m_bitsPerByte = bitsPerByte(dataBits, parity, stopBits);
    // A new line: its lateness is learnt afresh, and is allowed for up to a byte's line time.
    m_allowance = ArrivalAllowance(lineTime(1));
    report(PortEventKind::Opened);
    return 0;
}

void ComPort::close() {
    m_restTimer.stop();
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_lock.release();
    m_input.clear();
    m_callback = nullptr;
}

void ComPort::setHardwareHandshake(bool on) {
    m_port.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
}

void ComPort::installCallback(int eventMask, int notifyCount, ComCallbackPtr callback, void* data) {
    m_eventMask = eventMask;
    m_notifyCount = std::max(notifyCount, 1);
    m_callback = eventMask != 0 ? callback : nullptr;
    m_callbackData = data;
    m_armed = true;
    settle();
    // Bytes may be waiting already.
    queueNotificationCheck();
}

int ComPort::write(const char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    // What has come in since a flush cannot answer this request either. Without a flush,
    // what is waiting stays: whether it counts is the sender's to say.
    if (m_flushedSinceRequest)
        drop(std::exchange(m_input, {}));
    else
        pull(std::chrono::milliseconds(0));
    m_flushedSinceRequest = false;
    const Clock::time_point start = Clock::now();
    const qint64 queued = m_port.write(data, count);
    if (queued < 0)
        return kComErrIo;
    report(PortEventKind::Sent, QByteArray(data, static_cast<int>(queued)));
    m_earlierReplyDue = m_replyUnread && Toolkit::current()->replyWait().waitedFor() &&
                        start < m_requestLeftLine + m_timeout;
    m_replyHeader = count == m_notifyCount && count >= kReplyHeaderBytes
                        ? QByteArray(data, kReplyHeaderBytes)
                        : QByteArray();
    m_textAwaited = asksForText(QByteArrayView(data, count));
    m_replyUnread = !m_replyHeader.isEmpty();
    // QSerialPort holds written bytes until the event loop runs; push them out now.
    m_port.flush();
    const QDeadlineTimer deadline(m_timeout);
    while (m_port.bytesToWrite() > 0 && !deadline.hasExpired() && usable())
        m_port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    m_requestLeftLine = start + lineTime(static_cast<int>(queued));
    dropUntil(m_requestLeftLine);
    m_receivedWhenLeft = m_received;
    m_frameOnItsWay = true;
    settle();
    Toolkit::current()->replyWait().requestWritten(m_number);
    return static_cast<int>(queued);
}

int ComPort::read(char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    if (count <= 0)
        return 0;
    settle();
    skipAheadOfText();
    const QDeadlineTimer deadline(m_timeout);
    while (m_input.size() < count && !deadline.hasExpired() && usable()) {
        pull(std::chrono::milliseconds(deadline.remainingTime()));
        skipAheadOfText();
    }
    const auto got = std::min<qsizetype>(count, m_input.size());
    std::memcpy(data, m_input.constData(), static_cast<size_t>(got));
    report(PortEventKind::Received, m_input.first(got), count, {}, readsMalformedFrame(count));
    if (got > 0) {
        Toolkit::current()->replyWait().replyRead(m_number);
        m_textAwaited = false;
        m_replyUnread = false;
    }
    m_input.remove(0, got);
    settle();
    return static_cast<int>(got);
}

int ComPort::inputQueueLength() {
    if (!usable())
        return kComErrPortNotOpen;
    Toolkit::current()->replyWait().polled();
    pull(std::chrono::milliseconds(0));
    if (m_received == m_receivedWhenAsked) {
        Toolkit::current()->dispatcher().beforeBlockingWait();
        pull(EventDispatcher::kLongestSleep);
    }
    skipAheadOfText();
    m_receivedWhenAsked = m_received;
    if (!m_port.isOpen())
        return kComErrPortNotOpen;
    // A byte that trails the text is counted no more than one that trails a frame.
    return static_cast<int>(m_textAwaited ? std::min(m_input.size(), kTextReplyBytes)
                                          : m_input.size());
}

void ComPort::flushInput() {
    if (!usable())
        return;
    m_input += takeFromQt();
    drop(std::exchange(m_input, {}));
    m_port.clear(QSerialPort::Input);
    m_flushedSinceRequest = true;
    m_flushedAt = Clock::now();
    settle();
}

void ComPort::flushOutput() {
    if (!usable())
        return;
    m_port.clear(QSerialPort::Output);
}

void ComPort::waitForInput(std::chrono::milliseconds wait) {
    // A read or a count wants every byte there is, not only whole frames.
    setWakeThreshold(0);
    m_port.waitForReadyRead(static_cast<int>(std::max<qint64>(wait.count(), 0)));
}

void ComPort::pull(std::chrono::milliseconds wait) {
    waitForInput(wait);
    settle();
}

QByteArray ComPort::takeFromQt() {
    // Only what Qt holds: reading past it makes Qt set up its read notification afresh,
    // which costs more than the rest of a frame's handling.
    const qint64 taken = std::min(m_port.bytesAvailable(), m_inputCapacity - m_input.size());
    return taken > 0 ? m_port.read(taken) : QByteArray();
}

void ComPort::settle() {
    if (!m_port.isOpen())
        return;
    const QByteArray taken = takeFromQt();
    m_received += taken.size();
    m_input += taken;
    m_frameOnItsWay = m_frameOnItsWay || !taken.isEmpty();
    restUntilDue(missingForNotification());
    if (static_cast<int>(m_input.size()) < m_notifyCount)
        m_armed = true;
}

void ComPort::endRest() {
    const bool complete = restUntilDue(missingForNotification(), true) <= 0;
    m_allowance.restEnded(complete);
    // The frame is there: taken now, it is handled in this round of the event loop.
    if (complete)
        m_port.waitForReadyRead(0);
}

int ComPort::restUntilDue(int missing, bool afterRest) {
    // Bytes the device holds already count, and one may be on its way; but no more than the
    // line can have brought since the last flush. A device that floods the line refills it at
    // once, and would otherwise be read again and again, as fast as it sends.
    const int queued = missing > 0 ? std::min(ttyQueuedBytes(m_port), broughtSinceFlush()) : 0;
    const int toCome = missing > 0 ? missing - queued : 0;
    if (afterRest && toCome >= m_toComeWhenRested)
        m_frameOnItsWay = false;
    QSocketNotifier* notifier = m_internals.readNotifier();
    if (!notifier)
        return toCome;
    const Clock::time_point now = Clock::now();
    // The reply's bytes that have come since its request left the line took their line time,
    // and the missing ones take theirs after them. A device faster than its line (a
    // pseudo-terminal) rests no longer than the missing bytes' line time.
    const auto replyBytes = static_cast<int>(m_received - m_receivedWhenLeft) + missing;
    const Clock::time_point due =
        std::clamp(m_requestLeftLine + lineTime(replyBytes), now + lineTime(toCome - 1),
                   now + lineTime(std::max(toCome, 0)));
    const bool resting = m_frameOnItsWay && toCome > 0 && due > now;
    notifier->setEnabled(!resting);
    if (resting) {
        m_toComeWhenRested = toCome;
        const Clock::time_point end = due + m_allowance.allowance();
        m_restTimer.start(end - now);
        if (Toolkit* toolkit = Toolkit::current())
            toolkit->dispatcher().expectWakeAt(end);
        return toCome;
    }
    m_restTimer.stop();
    // Watched again: the device wakes the event loop once the bytes still missing for the
    // notify count have come, not for every byte of a frame. Where they have come, any
    // threshold they reach will do.
    if (toCome > 0 || m_wakeThreshold > queued)
        setWakeThreshold(std::max(missing, 0));
    return toCome;
}

int ComPort::broughtSinceFlush() const {
    const Clock::duration since = Clock::now() - m_flushedAt;
    const Clock::duration perByte = lineTime(1);
    return static_cast<int>(std::min<Clock::rep>(since / perByte + 1, m_inputCapacity));
}

int ComPort::missingForNotification() const {
    const bool notifying = m_callback && (m_eventMask & kComEventNotifyCount);
    return notifying ? m_notifyCount - static_cast<int>(m_input.size()) : 0;
}

bool ComPort::watchesDevice() const {
    const QSocketNotifier* notifier = m_internals.readNotifier();
    return !notifier || notifier->isEnabled();
}

void ComPort::setWakeThreshold(int bytes) {
    if (bytes != m_wakeThreshold && m_internals.setWakeThreshold(bytes))
        m_wakeThreshold = bytes;
}

void ComPort::dropUntil(Clock::time_point requestLeftLine) {
    // Every stray byte wakes the wait.
    setWakeThreshold(0);
    qsizetype dropped = 0;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= requestLeftLine || !usable())
            return;
        if (dropped > m_inputCapacity) {
            // More than a queue's worth while a request is on the line: no sensor answers like
            // that. Rather than read the flood, let it wait in the device and discard it there
            // once the request has left.
            std::this_thread::sleep_until(requestLeftLine);
            m_port.clear(QSerialPort::Input);
            return;
        }
        // All that Qt has read came in before now, while the request was still on the line.
        // What comes later is left alone: it may be the reply.
        const QByteArray taken = takeFromQt();
        dropped += taken.size();
        drop(taken);
        if (waitForTtyInput(m_port, requestLeftLine - now))
            m_port.waitForReadyRead(0);
    }
}

ComPort::Clock::duration ComPort::lineTime(int bytes) const {
    return std::chrono::duration_cast<Clock::duration>(
        platform::lineTime(bytes, m_bitsPerByte, m_baudRate));
}

bool ComPort::usable() {
    if (m_lost && m_port.isOpen()) {
        close();
        report(PortEventKind::Gone, {}, 0, m_lostCause);
    }
    return m_port.isOpen();
}

void ComPort::drop(const QByteArray& bytes) {
    if (!bytes.isEmpty())
        report(PortEventKind::Dropped, bytes);
}

void ComPort::report(PortEventKind kind, const QByteArray& bytes, int expected,
                     const QString& cause, bool malformed) const {
    if (hasPortHooks())
        notifyPortEvent({kind, m_number, m_device, bytes, expected, cause, malformed});
}

void ComPort::reportUnanswered() const {
    report(PortEventKind::Unanswered);
}

void ComPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::TimeoutError:
        // A wait that ran out: nothing is wrong with the port.
        m_port.clearError();
        return;
    case QSerialPort::ResourceError:
        // Qt reports a read that finds no bytes (another wait took them first) as it reports
        // a device that has gone. One that still answers is there: watched again, it goes on.
        if (!m_lost && m_port.isOpen() && ttyAnswers(m_port)) {
            m_port.clearError();
            QMetaObject::invokeMethod(
                this, [this] { settle(); }, Qt::QueuedConnection);
            return;
        }
        [[fallthrough]];
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        // The device has gone. Qt keeps raising the error for as long as the port stays
        // open, and closing here would delete the notifier that is reporting it; close from
        // the event loop instead, once.
        if (!m_lost) {
            m_lost = true;
            m_lostCause = m_port.errorString();
            QMetaObject::invokeMethod(
                this, [this] { usable(); }, Qt::QueuedConnection);
        }
        return;
    default:
        // Open failures are read from the port by open().
        return;
    }
}

void ComPort::queueNotificationCheck() {
    if (m_checkQueued || !m_callback)
        return;
    m_checkQueued = true;
    // Looked up when dispatched: the port may have gone in the meantime.
    const int number = m_number;
    Toolkit::current()->dispatcher().post([number] {
        if (SerialState* serial = SerialState::current())
            if (ComPort* port = serial->ports().find(number))
                port->notifyIfDue();
    });
}

void ComPort::skipToReplyHeader() {
    if (m_replyHeader.isEmpty() || m_input.size() < m_notifyCount ||
        m_input.startsWith(m_replyHeader))
        return;
    const qsizetype at = m_input.indexOf(m_replyHeader, 1);
    if (at < 0)
        return;
    report(PortEventKind::Skipped, m_input.first(at));
    m_input.remove(0, at);
    settle();
}

void ComPort::skipAheadOfText() {
    if (!m_textAwaited)
        return;
    const qsizetype stray = strayAheadOfText(m_input);
    if (stray == 0)
        return;
    report(PortEventKind::Skipped, m_input.first(stray));
    m_input.remove(0, stray);
    settle();
}

bool ComPort::headerMayFollow() const {
    return m_earlierReplyDue && !m_replyHeader.isEmpty() && !m_input.startsWith(m_replyHeader) &&
           m_input.size() < 2 * m_notifyCount;
}

bool ComPort::readsMalformedFrame(int count) const {
    return count == m_notifyCount && !m_replyHeader.isEmpty() && m_input.size() >= count &&
           !m_input.startsWith(m_replyHeader);
}

void ComPort::notifyIfDue() {
    m_checkQueued = false;
    if (!m_callback || !usable())
        return;
    settle();
    skipToReplyHeader();
    if (headerMayFollow())
        return;
    if (m_input.size() < m_notifyCount || !m_armed || !(m_eventMask & kComEventNotifyCount))
        return;
    m_armed = false;
    m_callback(m_number, kComEventNotifyCount, m_callbackData);
    settle();
    // Bytes that arrived while the handler ran and refilled the queue raise it again.
    if (m_armed && m_port.isOpen() && m_input.size() >= m_notifyCount)
        queueNotificationCheck();
}

} // namespace platform
