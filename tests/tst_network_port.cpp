// A sensor behind a serial device server: the simulated sensor's pseudo-terminal served by a
// real ser2net on the loopback, raw (tcp://) and as telnet with RFC 2217 (rfc2217://), and
// servers that misbehave. What the sensor receives, what the panel shows, the link state and
// the log are checked as for a serial device.
#include "SensorLink.h"

#include <ServerWindow.h>

#include <linklog/LinkLog.h>
#include <linkstate/linkstate.h>
#include <logpanel/logpanel.h>
#include <portlist/PortList.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using namespace testing;
using namespace std::chrono_literals;

namespace {

const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");
// Words whose bytes hold 0xFF, which telnet must carry doubled: 511, 1023, 255, 65535.
const QList<portlist::PortInfo> kBuiltIn{{"/dev/ttyS0", {}, {}, {}, false},
                                         {"/dev/ttyS1", {}, {}, {}, false}};
const sim::Words kRam{511, 255, 1023, 40, 0, 1, 0, 0, 0, 110, 720, 430, 65535, 0xFF00, 3, 4};

// A port on the loopback that nothing listens on at the moment.
quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Whether something listens on the loopback port, read from the kernel's table without
// connecting: a probe's connection would itself be served.
bool listening(quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QString entry =
        QStringLiteral("0100007F:%1 00000000:0000 0A").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    return QString::fromLatin1(table.readAll()).contains(entry);
}

QString address(bool telnet, quint16 port) {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(telnet ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
        .arg(port);
}

// Debian's ser2net in the foreground, in front of one device, on a loopback port.
class Ser2net {
public:
    Ser2net(const std::string& device, bool telnet) : m_port(freePort()) {
        const QString accepter = telnet ? QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1")
                                        : QStringLiteral("tcp,127.0.0.1,%1");
        QFile config(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("connection: &sensor\n"
                                    "  accepter: %1\n"
                                    "  connector: serialdev,%2,19200n81,local\n")
                         .arg(accepter.arg(m_port), QString::fromStdString(device))
                         .toUtf8());
        config.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("ser2net"), {QStringLiteral("-n"), QStringLiteral("-d"),
                                                    QStringLiteral("-c"), config.fileName()});
        m_ready = m_process.waitForStarted(5000) && waitUntil([this] { return listening(m_port); });
    }
    ~Ser2net() { stop(); }

    bool ready() const { return m_ready; }
    QString address(bool telnet) const { return ::address(telnet, m_port); }
    void stop() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    quint16 m_port;
    QProcess m_process;
    bool m_ready = false;
};

// A socket listening on a free loopback port, which `port` is set to.
int loopbackListener(quint16& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    ::bind(listener, reinterpret_cast<sockaddr*>(&where), size);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size);
    port = ntohs(where.sin_port);
    return listener;
}

// An RFC 2217 server of the test's own in front of the sensor's pseudo-terminal, in a thread,
// that takes the line settings and puts telnet commands (a no-operation, a modem-state
// notice) into the middle of every piece of the sensor's reply.
class ChattyServer {
public:
    explicit ChattyServer(const std::string& device) {
        m_listener = loopbackListener(m_port);
        m_device = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(m_device, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_device, TCSANOW, &raw);
        m_thread = std::thread([this] { serve(); });
    }
    ~ChattyServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_device);
        ::close(m_listener);
    }

    QString address() const { return ::address(true, m_port); }

private:
    static constexpr unsigned char kIac = 255;

    void serve() {
        pollfd accepting{m_listener, POLLIN, 0};
        while (!m_stop && ::poll(&accepting, 1, 50) == 0) {
        }
        if (m_stop)
            return;
        const int client = ::accept(m_listener, nullptr, nullptr);
        while (!m_stop) {
            pollfd both[] = {{client, POLLIN, 0}, {m_device, POLLIN, 0}};
            if (::poll(both, 2, 50) <= 0)
                continue;
            unsigned char bytes[256];
            if (both[0].revents & POLLIN) {
                const ssize_t got = ::read(client, bytes, sizeof bytes);
                if (got <= 0)
                    break;
                fromClient(client, QByteArray(reinterpret_cast<char*>(bytes), got));
            }
            if (both[1].revents & POLLIN) {
                const ssize_t got = ::read(m_device, bytes, sizeof bytes);
                if (got > 0)
                    toClient(client, QByteArray(reinterpret_cast<char*>(bytes), got));
            }
        }
        ::close(client);
    }

    // The payload to the sensor; WILL COM-PORT-OPTION agreed to, each setting confirmed.
    void fromClient(int client, const QByteArray& bytes) {
        m_fromClient += bytes;
        QByteArray payload;
        QByteArray answers;
        qsizetype at = 0;
        while (at < m_fromClient.size()) {
            const auto byte = static_cast<unsigned char>(m_fromClient[at]);
            if (byte != kIac) {
                payload += m_fromClient[at++];
                continue;
            }
            if (at + 1 >= m_fromClient.size())
                break;
            const auto command = static_cast<unsigned char>(m_fromClient[at + 1]);
            if (command == kIac) {
                payload += m_fromClient[at];
                at += 2;
            } else if (command == 250) {
                const qsizetype end = m_fromClient.indexOf("\xFF\xF0", at);
                if (end < 0)
                    break;
                QByteArray answer = m_fromClient.mid(at, end + 2 - at);
                answer[3] = static_cast<char>(answer[3] + 100);
                answers += answer;
                at = end + 2;
            } else {
                if (at + 2 >= m_fromClient.size())
                    break;
                if (command == 251 && static_cast<unsigned char>(m_fromClient[at + 2]) == 44)
                    answers += "\xFF\xFD\x2C";
                at += 3;
            }
        }
        m_fromClient.remove(0, at);
        ::write(m_device, payload.constData(), static_cast<size_t>(payload.size()));
        ::write(client, answers.constData(), static_cast<size_t>(answers.size()));
    }

    static void toClient(int client, const QByteArray& bytes) {
        QByteArray escaped;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (i == bytes.size() / 2)
                escaped += QByteArray("\xFF\xF1\xFF\xFA\x2C\x6B\x00\xFF\xF0", 9);
            escaped += bytes[i];
            if (static_cast<unsigned char>(bytes[i]) == kIac)
                escaped += bytes[i];
        }
        ::write(client, escaped.constData(), static_cast<size_t>(escaped.size()));
    }

    int m_listener = -1;
    int m_device = -1;
    quint16 m_port = 0;
    QByteArray m_fromClient;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// A device server of the test's own that sends as ser2net does when it forwards bytes as they
// come: with Nagle's rule, so that a piece written while the one before is not yet acknowledged
// waits for that acknowledgement.
class PieceServer {
public:
    PieceServer() { m_listener = loopbackListener(m_port); }
    ~PieceServer() {
        ::close(m_client);
        ::close(m_listener);
    }

    QString address() const { return ::address(false, m_port); }
    // Once the port has connected.
    void accept() { m_client = ::accept(m_listener, nullptr, nullptr); }
    void send(const QByteArray& bytes) const {
        ::write(m_client, bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    // A request of the port's, whole.
    bool receive(qsizetype count) const {
        QByteArray got;
        pollfd input{m_client, POLLIN, 0};
        while (got.size() < count && ::poll(&input, 1, 5000) > 0) {
            char bytes[64];
            const ssize_t n = ::read(m_client, bytes, sizeof bytes);
            if (n <= 0)
                return false;
            got.append(bytes, n);
        }
        return got.size() == count;
    }

private:
    int m_listener = -1;
    int m_client = -1;
    quint16 m_port = 0;
};

} // namespace

class NetworkPort : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>([this] {
            m_log = std::make_unique<linklog::LinkLog>();
            logpanel::installLogPanel(*m_log);
            linkstate::installStateIndicator(*m_log);
            portlist::installPortList([] { return kBuiltIn; },
                                      [this](QWidget*) { return m_named; });
        });
        (*m_tool)->setRam(kRam);
    }

    void cleanup() { m_tool.reset(); }

    void bothModes_data() {
        QTest::addColumn<bool>("telnet");
        QTest::newRow("raw tcp") << false;
        QTest::newRow("rfc2217") << true;
    }

    void connectGetSendAndLiveViewThroughSer2net_data() { bothModes_data(); }

    void connectGetSendAndLiveViewThroughSer2net() {
        QFETCH(bool, telnet);
        startSer2net(telnet);
        QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{5, 2, 7}));
        QCOMPARE(statusText(), kFirmware);
        QCOMPARE(shownWords(), kRam);
        QCOMPARE(state(), QStringLiteral("answered"));
        // After the machine's own ports, as it was named.
        QCOMPARE(portItems(),
                 (QStringList{"COM2  /dev/ttyS0", "COM3  /dev/ttyS1", "COM1  " + m_device}));
        // A set whose bytes hold 0xFF goes to the sensor's RAM unchanged.
        sim::Words sent = kRam;
        sent[0] = 255;
        sent[14] = 65535;
        showWords(sent);
        (*m_tool)->clearReceivedFrames();
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForRequestsIn(5s));
        QCOMPARE((*m_tool)->receivedFrames().size(), std::size_t{1});
        QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames().front()), sent);
        QCOMPARE((*m_tool)->ram(), sent);
        // Measurements with 0xFF bytes show as they were sent.
        sim::Words measured{1023, 511, 255, 767, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        (*m_tool)->setMeasurementOverride(measured);
        m_tool->runFor(8);
        QCOMPARE(shown(CTRL_RAW_1), 1023.0);
        QCOMPARE(shown(CTRL_RAW_2), 511.0);
        QCOMPARE(shown(CTRL_RAW_3), 255.0);
        QCOMPARE(state(), QStringLiteral("answered"));
    }

    // The server stops during a live view: the port is gone, said with its cause, and nothing is
    // sent once it is back until the operator chooses the port.
    void lostConnectionIsAGoneDevice_data() { bothModes_data(); }

    void lostConnectionIsAGoneDevice() {
        QFETCH(bool, telnet);
        startSer2net(telnet);
        // Stopped once the live view is under way; the time-out then comes at the third reading.
        const std::size_t stopAt = m_tool->requests() + 3;
        m_tool->run([] {},
                    [this, stopAt, now = 0.0]() mutable {
                        if (m_tool->requests() == stopAt)
                            m_ser2net->stop();
                        return now += m_tool->requests() >= stopAt ? 1.0 : 0.0;
                    });
        QCOMPARE(statusText(), QStringLiteral("Timeout RS232-Line!"));
        QVERIFY2(waitUntil([] { return state() == QLatin1String("device gone"); }, 2s),
                 qPrintable(state() + "\n" + logText()));
        const QString lost = QStringLiteral("COM1 %1 has gone, port closed").arg(m_device);
        QCOMPARE(logText().count(lost), 1);
        QVERIFY2(logText().contains(QStringLiteral("connection lost")), qPrintable(logText()));
        // Back on the same address: nothing is sent until the port is chosen.
        const std::size_t before = m_tool->requests();
        m_ser2net = std::make_unique<Ser2net>((*m_tool)->devicePath(), telnet);
        QVERIFY(m_ser2net->ready());
        m_device = m_ser2net->address(telnet);
        setenv("NALVO_COM1", qPrintable(m_device), 1);
        dispatchPending();
        QCOMPARE(m_tool->requests(), before);
        useClock(m_tool->sensor());
        chooseItem(CTRL_PORT, static_cast<int>(portItems().indexOf("COM1  " + m_device)));
        dispatchPending();
        QCOMPARE(statusText(), kFirmware);
        QCOMPARE(state(), QStringLiteral("answered"));
    }

    void badServerEndsInAClearMessage_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("linkState");
        const QString noPort = QStringLiteral("No serial port found");
        const QString cannotOpen = QStringLiteral("Cannot open port");
        const QString malformed = QStringLiteral("not a network address");
        QTest::newRow("no port") << "tcp://127.0.0.1" << noPort << malformed << "cannot open";
        QTest::newRow("port out of range")
            << "rfc2217://127.0.0.1:70000" << noPort << malformed << "cannot open";
        QTest::newRow("a path") << "tcp://127.0.0.1:4001/x" << noPort << malformed << "cannot open";
        QTest::newRow("unknown host")
            << "tcp://sensor.invalid:4001" << noPort << "host not found: sensor.invalid"
            << "cannot open";
        QTest::newRow("closed port, raw")
            << "tcp://127.0.0.1:%closed" << cannotOpen << "connection refused"
            << "cannot open";
        QTest::newRow("closed port, rfc2217")
            << "rfc2217://127.0.0.1:%closed" << cannotOpen << "connection refused"
            << "cannot open";
        // Raw, a silent server is a silent sensor; telnet's settings are never taken.
        QTest::newRow("silent server, raw") << "tcp://127.0.0.1:%silent"
                                            << "Timeout-RS-232..."
                                            << ""
                                            << "no answer";
        QTest::newRow("silent server, rfc2217") << "rfc2217://127.0.0.1:%silent" << cannotOpen
                                                << "the server did not answer the port settings"
                                                << "cannot open";
        // Telnet commands inside the replies are taken out; the values are the sensor's.
        QTest::newRow("telnet commands mid-frame") << "%chatty" << kFirmware << ""
                                                   << "answered";
    }

    void badServerEndsInAClearMessage() {
        QFETCH(QString, device);
        QFETCH(QString, status);
        QFETCH(QString, cause);
        QFETCH(QString, linkState);
        QTcpServer silent;
        silent.listen(QHostAddress::LocalHost);
        std::unique_ptr<ChattyServer> chatty;
        if (device == QLatin1String("%chatty")) {
            chatty = std::make_unique<ChattyServer>((*m_tool)->devicePath());
            device = chatty->address();
        }
        device.replace(QStringLiteral("%closed"), QString::number(freePort()));
        device.replace(QStringLiteral("%silent"), QString::number(silent.serverPort()));
        setenv("NALVO_COM1", qPrintable(device), 1);
        useClock(m_tool->sensor(), 0);
        if (chatty)
            useClock(m_tool->sensor());
        InitRS232(com);
        QCOMPARE(statusText(), status);
        QVERIFY(waitUntil([&] { return state() == linkState; }, 2s));
        if (!cause.isEmpty())
            QVERIFY2(logText().contains(cause), qPrintable(logText()));
        if (chatty) {
            QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{5, 2, 7}));
            QCOMPARE(shownWords(), kRam);
        }
    }

    // A server that forwards each byte as it comes sends a reply's first byte at once and holds
    // the rest until the port has acknowledged it. The port acknowledges what it takes at once,
    // as the next request would: the rest comes as soon as the first byte has been taken, not
    // after the system's delayed acknowledgement (some 40 ms, two empty polls or more, in the
    // middle of every reply, which cost the live view a third of its frames).
    void aReplyHeldForItsFirstBytesAcknowledgementComesAtOnce() {
        PieceServer server;
        constexpr int kPort = 2;
        QCOMPARE(OpenComConfig(kPort, qPrintable(server.address()), 19200, 0, 8, 1, 4096, 4096), 0);
        server.accept();
        const QByteArray frame(FRAME_BYTES, '\x11');
        constexpr int kReplies = 8;
        int emptyPolls = 0;
        for (int reply = 0; reply < kReplies; ++reply) {
            // Request and reply, back and forth: the system takes the connection for an
            // interactive one and delays its acknowledgements.
            QCOMPARE(ComWrt(kPort, frame.constData(), FRAME_BYTES), FRAME_BYTES);
            QVERIFY(server.receive(FRAME_BYTES));
            server.send(frame.first(1));
            server.send(frame.sliced(1));
            int length = 0;
            for (int polls = 0; length < FRAME_BYTES && polls < 500; ++polls) {
                const int now = GetInQLen(kPort);
                emptyPolls += now == length;
                length = now;
            }
            QCOMPARE(length, FRAME_BYTES);
            char taken[FRAME_BYTES];
            QCOMPARE(ComRd(kPort, taken, FRAME_BYTES), FRAME_BYTES);
        }
        // One for a moment the machine was busy elsewhere; the delayed acknowledgement costs
        // at least two a reply.
        QVERIFY2(emptyPolls <= kReplies / 2, qPrintable(QString::number(emptyPolls)));
        CloseCom(kPort);
    }

    // Where a server's bytes stop while a frame is incomplete is its window: the port wakes for
    // no more than that many, until it forgets the window and learns it again.
    void serverWindowIsWhereItsBytesStop_data() {
        QTest::addColumn<std::vector<int>>("looks"); // bytes waiting below 36, look by look
        QTest::addColumn<int>("verdict");            // of the last look
        QTest::addColumn<int>("next");               // the next threshold for 36 missing
        using V = platform::ServerWindow::Verdict;
        QTest::newRow("whole") << std::vector<int>{36} << int(V::Whole) << 36;
        QTest::newRow("nothing yet") << std::vector<int>{0, 0} << int(V::LookAgain) << 36;
        QTest::newRow("late but coming")
            << std::vector<int>{0, 5, 20, 30} << int(V::LookAgain) << 36;
        QTest::newRow("coming, then whole") << std::vector<int>{5, 20, 36} << int(V::Whole) << 36;
        QTest::newRow("stopped at half") << std::vector<int>{5, 18, 18} << int(V::Held) << 18;
        // Three wakes whatever: in equal parts, the furthest from the window's edge.
        QTest::newRow("stopped at 13") << std::vector<int>{13, 13} << int(V::Held) << 12;
        QTest::newRow("one piece at a time") << std::vector<int>{1, 1} << int(V::Held) << 1;
    }

    void serverWindowIsWhereItsBytesStop() {
        QFETCH(std::vector<int>, looks);
        QFETCH(int, verdict);
        QFETCH(int, next);
        using Clock = platform::ServerWindow::Clock;
        const auto byteTime = std::chrono::microseconds(520);
        platform::ServerWindow window(byteTime);
        const Clock::time_point start = Clock::now();
        QCOMPARE(window.threshold(36, start), 36);
        // Once all 36 could have come, and a sensor's own delay later.
        QCOMPARE(window.firstLook(36), byteTime * 36 + 10ms);
        platform::ServerWindow::Look look{};
        for (const int waiting : looks)
            look = window.look(waiting, start);
        QCOMPARE(int(look.verdict), verdict);
        QCOMPARE(window.threshold(36, start + 9s), next);
        QCOMPARE(window.onePiece(), next == 1);
        // Stopping for a while is no window: a byte's line time apart they flow.
        if (look.verdict == platform::ServerWindow::Verdict::LookAgain)
            QVERIFY(look.after >= 5ms);
        QCOMPARE(window.threshold(36, start + 10s), 36);
    }

    // A server that sends a piece only once the one before is acknowledged (ser2net's default
    // socket) stops after a reply's first byte while the port rests on its threshold: the port
    // finds it stopped, takes each piece as it comes from then on, and says so in the log.
    void aServerWaitingForAcknowledgementsIsReadPieceByPiece() {
        PieceServer server;
        constexpr int kPort = 2;
        constexpr int kFrame = 8;
        QCOMPARE(OpenComConfig(kPort, qPrintable(server.address()), 19200, 0, 8, 1, 4096, 4096), 0);
        server.accept();
        int notified = 0;
        InstallComCallback(
            kPort, kComEventNotifyCount, kFrame, 0,
            [](int, int, void* data) { ++*static_cast<int*>(data); }, &notified);
        const QByteArray frame(kFrame, '\x11');
        const QString advice = QStringLiteral("COM2 %1: the server sends a piece only once the one "
                                              "before is acknowledged")
                                   .arg(server.address());
        // Each reply gives the port one chance to find the server stopped before the system's
        // delayed acknowledgement lets it go on: a machine busy elsewhere may take a few.
        for (int reply = 0; reply < 40 && !logText().contains(advice); ++reply) {
            QCOMPARE(ComWrt(kPort, frame.constData(), kFrame), kFrame);
            QVERIFY(server.receive(kFrame));
            server.send(frame.first(1));
            server.send(frame.sliced(1));
            QVERIFY(waitUntil([&] { return notified > reply; }));
            char taken[kFrame];
            QCOMPARE(ComRd(kPort, taken, kFrame), kFrame);
            QCOMPARE(QByteArray(taken, kFrame), frame);
        }
        QCOMPARE(logText().count(advice), 1);
        CloseCom(kPort);
    }

private:
    void startSer2net(bool telnet) {
        if (QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin"})
                .isEmpty())
            QSKIP("ser2net is not installed (scripts/install-deps installs it)");
        m_ser2net = std::make_unique<Ser2net>((*m_tool)->devicePath(), telnet);
        QVERIFY(m_ser2net->ready());
        m_device = m_ser2net->address(telnet);
        setenv("NALVO_COM1", qPrintable(m_device), 1);
        InitRS232(com);
    }

    static QString state() {
        for (auto* label : panelWidget()->findChildren<QLabel*>())
            if (label->accessibleName() == QLatin1String("Link state"))
                return label->text();
        return {};
    }

    static QString logText() {
        for (auto* button : panelWidget()->findChildren<QToolButton*>())
            if (button->accessibleName() == QLatin1String("Log"))
                button->setChecked(true);
        logpanel::showHeldLines();
        QStringList lines;
        for (auto* entries : panelWidget()->findChildren<QPlainTextEdit*>())
            if (entries->accessibleName() == QLatin1String("Log entries"))
                for (QTextBlock block = entries->document()->firstBlock(); block.isValid();
                     block = block.next())
                    lines << block.text();
        return lines.join('\n');
    }

    QString m_named;
    QString m_device;
    std::unique_ptr<Ser2net> m_ser2net;
    std::unique_ptr<linklog::LinkLog> m_log;
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(NetworkPort)
#include "tst_network_port.moc"
