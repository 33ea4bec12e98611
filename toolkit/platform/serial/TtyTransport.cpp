#include "TtyTransport.h"

#include "OpenCause.h"
#include "TtyDevice.h"

#include <platform/serial.h>

namespace platform {

namespace {

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

TtyTransport::TtyTransport() {
    connect(&m_port, &QSerialPort::readyRead, this, &Transport::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &TtyTransport::onError);
}

int TtyTransport::open(const QString& device, const LineSettings& settings,
                       std::chrono::milliseconds, QString& cause) {
    m_lost = false;
    const DeviceLock::Result locked = m_lock.take(device);
    if (locked != DeviceLock::Result::Taken) {
        cause = lockFailureCause(locked, m_lock.error());
        return locked == DeviceLock::Result::NoSuchDevice ? kComErrNoSuchPort : kComErrCannotOpen;
    }
    m_internals.choosePlain(plainSerialChosen());
    m_port.setPortName(device);
    m_port.setReadBufferSize(settings.inputCapacity);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        cause = openFailureCause(error, m_port.errorString());
        close();
        return mapOpenError(error);
    }
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    const bool configured =
        validLineSettings(settings) && m_port.setBaudRate(settings.baudRate) &&
        m_port.setParity(parities[settings.parity]) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
        m_port.setStopBits(settings.stopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        cause = m_port.errorString();
        close();
        return kComErrIo;
    }
    return 0;
}

void TtyTransport::close() {
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_lock.release();
}

void TtyTransport::setHardwareHandshake(bool on) {
    m_port.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
}

bool TtyTransport::waitForInput(std::chrono::nanoseconds wait) {
    return waitForTtyInput(m_port, wait);
}

int TtyTransport::queuedBytes() const {
    return ttyQueuedBytes(m_port);
}

void TtyTransport::onError(QSerialPort::SerialPortError error) {
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
            emit stillThere();
            return;
        }
        [[fallthrough]];
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        // The device has gone. Qt keeps raising the error for as long as the port stays open.
        if (!m_lost) {
            m_lost = true;
            emit lost(m_port.errorString());
        }
        return;
    default:
        // Open failures are read from the port by open().
        return;
    }
}

} // namespace platform
