#include "SocketTransport.h"

#include "LineTime.h"
#include "NetworkAddress.h"

#include <platform/serial.h>

#include <QDeadlineTimer>

#include <utility>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

namespace platform {

namespace {

std::chrono::milliseconds inMilliseconds(std::chrono::nanoseconds wait) {
    return std::chrono::ceil<std::chrono::milliseconds>(wait);
}

int milliseconds(std::chrono::nanoseconds wait) {
    return static_cast<int>(inMilliseconds(wait).count());
}

QString connectFailureCause(const QTcpSocket& socket, const NetworkAddress& address,
                            std::chrono::milliseconds limit) {
    const QString where = QStringLiteral("%1:%2").arg(address.host).arg(address.port);
    switch (socket.error()) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("host not found: %1").arg(address.host);
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("connection refused: nothing accepts connections at %1").arg(where);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no connection to %1 within %2 ms").arg(where).arg(limit.count());
    default:
        return QStringLiteral("cannot connect to %1: %2").arg(where, socket.errorString());
    }
}

} // namespace

SocketTransport::SocketTransport() {
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        takeIn();
        emit readyRead();
    });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &SocketTransport::onError);
    m_windowCheck.setSingleShot(true);
    m_windowCheck.setTimerType(Qt::PreciseTimer);
    connect(&m_windowCheck, &QTimer::timeout, this, &SocketTransport::checkWindow);
}

int SocketTransport::open(const QString& device, const LineSettings& settings,
                          std::chrono::milliseconds limit, QString& cause) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(device);
    if (!address) {
        cause = QStringLiteral("not a network address: tcp://HOST:PORT or rfc2217://HOST:PORT");
        return kComErrNoSuchPort;
    }
    m_lost = false;
    m_capacity = settings.inputCapacity;
    m_window = ServerWindow(lineTime(
        1, bitsPerByte(settings.dataBits, settings.parity, settings.stopBits), settings.baudRate));
    m_advised = false;
    m_payload.clear();
    m_telnet.reset();
    if (address->telnet)
        m_telnet.emplace(settings);
    // What comes beyond waits in the connection, as it would in a device.
    m_socket.setReadBufferSize(m_capacity);
    m_socket.connectToHost(address->host, address->port);
    if (!m_socket.waitForConnected(static_cast<int>(limit.count()))) {
        cause = connectFailureCause(m_socket, *address, limit);
        const bool unknown = m_socket.error() == QAbstractSocket::HostNotFoundError;
        close();
        return unknown ? kComErrNoSuchPort : kComErrCannotOpen;
    }
    // A request goes out whole at once, not held back for more.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_telnet) {
        if (const int result = negotiate(limit, cause); result < 0) {
            close();
            return result;
        }
    }
    m_open = true;
    return 0;
}

int SocketTransport::negotiate(std::chrono::milliseconds limit, QString& cause) {
    const QDeadlineTimer deadline(limit);
    m_socket.write(m_telnet->greeting());
    while (m_telnet->settings() == TelnetComPort::Settings::Awaited) {
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            cause = QStringLiteral("connection lost: the server closed it before taking the "
                                   "port settings");
            return kComErrCannotOpen;
        }
        if (deadline.hasExpired()) {
            cause = QStringLiteral("the server did not answer the port settings within %1 ms")
                        .arg(limit.count());
            return kComErrCannotOpen;
        }
        m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    if (m_telnet->settings() == TelnetComPort::Settings::Refused) {
        cause = QStringLiteral("the server refused the port settings");
        return kComErrCannotOpen;
    }
    return 0;
}

void SocketTransport::close() {
    m_open = false;
    m_windowCheck.stop();
    m_threshold = 1;
    m_socket.abort();
    m_payload.clear();
    m_telnet.reset();
}

qint64 SocketTransport::write(const char* data, qint64 count) {
    if (!m_telnet)
        return m_socket.write(data, count);
    return m_socket.write(TelnetComPort::escape(QByteArrayView(data, count))) < 0 ? -1 : count;
}

qint64 SocketTransport::bytesAvailable() {
    takeIn();
    return m_payload.size();
}

QByteArray SocketTransport::read(qint64 count) {
    QByteArray taken = m_payload.first(std::min(count, m_payload.size()));
    m_payload.remove(0, taken.size());
    return taken;
}

bool SocketTransport::waitForReadyRead(int milliseconds) {
    return m_socket.waitForReadyRead(milliseconds);
}

bool SocketTransport::waitForInput(std::chrono::nanoseconds wait) {
    return !m_payload.isEmpty() || m_socket.bytesAvailable() > 0 ||
           m_socket.waitForReadyRead(milliseconds(wait)) || m_lost;
}

void SocketTransport::clearInput() {
    const QByteArray received = m_socket.readAll();
    acknowledge();
    // The commands among the bytes are answered all the same.
    if (m_telnet)
        m_telnet->decode(received);
    answerTelnet();
    m_payload.clear();
}

void SocketTransport::takeIn() {
    // Taken from Qt as they come, so that Qt goes on watching the connection (and finds it
    // closed) while no read asks. Each payload byte takes at least one received byte: room for
    // as many received bytes leaves the payload within its capacity.
    const qint64 room = std::min(m_capacity - m_payload.size(), m_socket.bytesAvailable());
    if (room <= 0)
        return;
    const QByteArray received = m_socket.read(room);
    m_windowCheck.stop();
    acknowledge();
    m_payload += m_telnet ? m_telnet->decode(received) : received;
    answerTelnet();
}

void SocketTransport::acknowledge() {
#ifdef Q_OS_LINUX
    // A server that holds back a small piece until the one before is acknowledged (Nagle's rule,
    // ser2net's way when it forwards bytes as they come) would otherwise wait for the delayed
    // acknowledgement, some 40 ms, in the middle of each reply: the system delays it while the
    // connection goes back and forth, as requests and replies do. Asked again after each read,
    // since each request puts the connection back into that mode; asking sends what is due.
    const int on = 1;
    setsockopt(static_cast<int>(m_socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on,
               sizeof on);
#endif
}

bool SocketTransport::setWakeThreshold(int bytes) {
#ifdef Q_OS_LINUX
    if (!m_open)
        return false;
    setLowWater(m_window.threshold(bytes, ServerWindow::Clock::now()));
    if (m_threshold > 1)
        m_windowCheck.start(inMilliseconds(m_window.firstLook(m_threshold)));
    else
        m_windowCheck.stop();
    return true;
#else
    Q_UNUSED(bytes)
    return false;
#endif
}

void SocketTransport::checkWindow() {
#ifdef Q_OS_LINUX
    if (!m_open || m_threshold <= 1)
        return;
    int waiting = 0;
    ioctl(static_cast<int>(m_socket.socketDescriptor()), FIONREAD, &waiting);
    const ServerWindow::Look look = m_window.look(waiting, ServerWindow::Clock::now());
    switch (look.verdict) {
    case ServerWindow::Verdict::Whole:
        return;
    case ServerWindow::Verdict::LookAgain:
        m_windowCheck.start(inMilliseconds(look.after));
        return;
    case ServerWindow::Verdict::Held:
        // What waits is taken now, which acknowledges it and lets the server go on.
        setLowWater(waiting);
        if (m_window.onePiece() && !std::exchange(m_advised, true))
            emit advice(QStringLiteral(
                "the server sends a piece only once the one before is acknowledged (Nagle's "
                "rule): each is taken as it comes, at some cost in processor time; ser2net's "
                "accepter tcp(nodelay) spares it"));
        return;
    }
#endif
}

void SocketTransport::setLowWater(int bytes) {
#ifdef Q_OS_LINUX
    // The socket reports input to Qt once this many bytes are waiting (or it has closed).
    if (setsockopt(static_cast<int>(m_socket.socketDescriptor()), SOL_SOCKET, SO_RCVLOWAT, &bytes,
                   sizeof bytes) == 0)
        m_threshold = bytes;
#else
    Q_UNUSED(bytes)
#endif
}

void SocketTransport::answerTelnet() {
    if (!m_telnet)
        return;
    if (const QByteArray answers = m_telnet->takeAnswers(); !answers.isEmpty()) {
        m_socket.write(answers);
        m_socket.flush();
    }
}

void SocketTransport::onError(QAbstractSocket::SocketError error) {
    // A wait that ran out is no fault of the connection.
    if (!m_open || m_lost || error == QAbstractSocket::SocketTimeoutError)
        return;
    m_lost = true;
    emit lost(error == QAbstractSocket::RemoteHostClosedError
                  ? QStringLiteral("connection lost: the server closed it")
                  : QStringLiteral("connection lost: %1").arg(m_socket.errorString()));
}

} // namespace platform
