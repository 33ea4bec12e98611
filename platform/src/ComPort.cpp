#include "ComPort.h"

#include "ComPorts.h"
#include "EventDispatcher.h"
#include "TtyWakeThreshold.h"

#include <QDeadlineTimer>

namespace platform {

ComPort::ComPort(int number) : m_number(number) {
    // The signal only queues a check: the notification itself must not run inside a read
    // or a wait of the program's, which emit readyRead synchronously.
    connect(&m_port, &QSerialPort::readyRead, this, &ComPort::queueNotificationCheck);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ComPort::onError);
}

int ComPort::open(const QString& device, qint32 baudRate, int parity, int dataBits, int stopBits) {
    close();
    m_lost = false;
    m_wakeThreshold = 0;
    m_bytesQueued = 0;
    m_bytesDiscarded = 0;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
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
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    const bool configured =
        parity >= 0 && parity < 5 && dataBits >= 5 && dataBits <= 8 &&
        (stopBits == 1 || stopBits == 2) && m_port.setBaudRate(baudRate) &&
        m_port.setParity(parities[parity]) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) &&
        m_port.setStopBits(stopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        close();
        return kComErrIo;
    }
    return 0;
}

void ComPort::close() {
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
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
    m_wakeThreshold = m_callback && (eventMask & kComEventNotifyCount) ? m_notifyCount : 0;
    setTtyWakeThreshold(m_port.handle(), m_wakeThreshold);
    // Bytes may be waiting already.
    queueNotificationCheck();
}

int ComPort::write(const char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    const qint64 queued = m_port.write(data, count);
    if (queued < 0)
        return kComErrIo;
    m_bytesQueued += static_cast<std::uint64_t>(queued);
    // QSerialPort holds written bytes until the event loop runs; push them out now.
    m_port.flush();
    const QDeadlineTimer deadline(m_timeout);
    while (m_port.bytesToWrite() > 0 && !deadline.hasExpired() && usable())
        m_port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    return static_cast<int>(queued);
}

int ComPort::read(char* data, int count) {
    if (!usable())
        return kComErrPortNotOpen;
    if (count <= 0)
        return 0;
    const QDeadlineTimer deadline(m_timeout);
    while (m_port.bytesAvailable() < count && !deadline.hasExpired() && usable())
        pull(std::chrono::milliseconds(deadline.remainingTime()));
    const qint64 got = m_port.isOpen() ? m_port.read(data, count) : 0;
    rearmWhenBelowCount();
    return static_cast<int>(std::max<qint64>(got, 0));
}

int ComPort::inputQueueLength() {
    // Waiting up to a millisecond keeps a loop that polls the length from spinning.
    if (usable())
        pull(kPollWait);
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : kComErrPortNotOpen;
}

void ComPort::flushInput() {
    if (!usable())
        return;
    m_port.clear(QSerialPort::Input);
    rearmWhenBelowCount();
}

void ComPort::flushOutput() {
    if (!usable())
        return;
    m_bytesDiscarded += static_cast<std::uint64_t>(m_port.bytesToWrite());
    m_port.clear(QSerialPort::Output);
}

std::uint64_t ComPort::bytesWritten() const {
    const auto unsent = static_cast<std::uint64_t>(m_port.isOpen() ? m_port.bytesToWrite() : 0);
    return m_bytesQueued - m_bytesDiscarded - unsent;
}

void ComPort::pull(std::chrono::milliseconds wait) {
    // A read or a count wants every byte there is, not only whole frames.
    if (m_wakeThreshold > 0)
        setTtyWakeThreshold(m_port.handle(), 0);
    m_port.waitForReadyRead(static_cast<int>(std::max<qint64>(wait.count(), 0)));
    if (m_wakeThreshold > 0 && m_port.isOpen())
        setTtyWakeThreshold(m_port.handle(), m_wakeThreshold);
}

bool ComPort::usable() {
    if (m_lost && m_port.isOpen())
        close();
    return m_port.isOpen();
}

void ComPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::TimeoutError:
        // A wait that ran out: nothing is wrong with the port.
        m_port.clearError();
        return;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // The device has gone. Qt keeps raising the error for as long as the port stays
        // open, and closing here would delete the notifier that is reporting it; close from
        // the event loop instead, once.
        if (!m_lost) {
            m_lost = true;
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
    const int number = m_number;
    EventDispatcher::instance().post([number] {
        if (ComPort* port = ComPorts::find(number))
            port->notifyIfDue();
    });
}

void ComPort::notifyIfDue() {
    m_checkQueued = false;
    if (!m_callback || !usable())
        return;
    if (m_port.bytesAvailable() < m_notifyCount) {
        m_armed = true;
        return;
    }
    if (!m_armed || !(m_eventMask & kComEventNotifyCount))
        return;
    m_armed = false;
    m_callback(m_number, kComEventNotifyCount, m_callbackData);
    rearmWhenBelowCount();
    // Bytes that arrived while the handler ran and refilled the queue raise it again.
    if (m_armed && m_port.isOpen() && m_port.bytesAvailable() >= m_notifyCount)
        queueNotificationCheck();
}

void ComPort::rearmWhenBelowCount() {
    if (!m_port.isOpen() || m_port.bytesAvailable() < m_notifyCount)
        m_armed = true;
}

} // namespace platform
