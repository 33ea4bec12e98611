// The simulated sensor as the tool meets it: through the real pseudo-terminal, opened the way a
// serial port is, with requests and replies on the line.
#include <sim/SimulatedSensor.h>

#include <QByteArray>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using sim::Fault;
using sim::Words;

namespace {

constexpr auto kReplyBound = 3s;
constexpr auto kQuietBound = 200ms;
constexpr Words kFactorySet{500, 500, 512, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0};
constexpr Words kSomeSet{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x8000, 0xFFFF};
constexpr Words kOtherSet{0x1234, 0xABCD, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0055};
constexpr char kFirmwareText[] = "FW 2.7";

QByteArray frame(int order, const Words& words = {}) {
    const sim::Frame bytes = sim::encodeFrame(order, words);
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// The tool's end of the line, set up as the tool sets up its serial port.
class ToolSide {
public:
    explicit ToolSide(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios settings{};
        if (m_fd >= 0 && tcgetattr(m_fd, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~ToolSide() {
        if (m_fd >= 0)
            close(m_fd);
    }
    ToolSide(const ToolSide&) = delete;
    ToolSide& operator=(const ToolSide&) = delete;

    int fd() const { return m_fd; }

    bool send(const QByteArray& bytes) const {
        return write(m_fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) ==
               bytes.size();
    }

    // What arrives until count bytes are in or the bound has passed.
    QByteArray receive(qsizetype count, std::chrono::milliseconds bound) const {
        QByteArray bytes;
        const auto deadline = Clock::now() + bound;
        while (bytes.size() < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd line{.fd = m_fd, .events = POLLIN, .revents = 0};
            if (left < 0ms || poll(&line, 1, static_cast<int>(left.count())) != 1)
                break;
            std::array<char, 256> chunk{};
            const auto wanted = std::min<std::size_t>(chunk.size(), count - bytes.size());
            const ssize_t got = read(m_fd, chunk.data(), wanted);
            if (got <= 0)
                break;
            bytes.append(chunk.data(), got);
        }
        return bytes;
    }

private:
    int m_fd;
};

} // namespace

class SimulatedSensorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void parameterSetsRoundTripOneRequestAtATime();
    void dataBlockCountsUpFromTheAddress();
    void measurementsFollowRamOrTheOverride();
    void teachTakesTheNormalisedSignal_data();
    void teachTakesTheNormalisedSignal();
    void silenceStillRecordsTheRequest_data();
    void silenceStillRecordsTheRequest();
    void junkBeforeAFrameIsSkipped();
    void faultsShapeTheReply_data();
    void faultsShapeTheReply();
    void rawBytesReachTheTool();
    void exchangeTakesAtLeastTheLineTime_data();
    void exchangeTakesAtLeastTheLineTime();
    void stopHangsUpAndStartServesANewDevice();

private:
    std::unique_ptr<sim::SimulatedSensor> m_sensor;
    std::unique_ptr<ToolSide> m_tool;
};

void SimulatedSensorTest::init() {
    m_sensor = std::make_unique<sim::SimulatedSensor>();
    QVERIFY(m_sensor->start());
    m_tool = std::make_unique<ToolSide>(m_sensor->devicePath());
    QVERIFY(m_tool->fd() >= 0);
}

void SimulatedSensorTest::cleanup() {
    m_tool.reset();
    m_sensor.reset();
}

// Write orders have no reply, so each read's reply is the first thing on the line.
void SimulatedSensorTest::parameterSetsRoundTripOneRequestAtATime() {
    QVERIFY(m_tool->send(frame(2)));
    QCOMPARE(m_tool->receive(36, kReplyBound), frame(2, kFactorySet));

    QVERIFY(m_tool->send(frame(1, kSomeSet) + frame(2)));
    QCOMPARE(m_tool->receive(36, kReplyBound), frame(2, kSomeSet));
    QVERIFY(m_tool->send(frame(3, kOtherSet) + frame(4) + frame(2)));
    QCOMPARE(m_tool->receive(72, kReplyBound), frame(4, kOtherSet) + frame(2, kSomeSet));

    QVERIFY(m_sensor->ram() == kSomeSet);
    QVERIFY(m_sensor->eeprom() == kOtherSet);
    QCOMPARE(m_sensor->repliesSent(), std::size_t{4});
    QCOMPARE(m_sensor->receivedFrames().size(), std::size_t{6});
    QVERIFY(m_sensor->receivedFrames()[3] == sim::encodeFrame(3, kOtherSet));
}

void SimulatedSensorTest::dataBlockCountsUpFromTheAddress() {
    QVERIFY(m_tool->send(frame(9, {0xFFF0, 7})));
    QByteArray expected;
    for (int i = 0; i < 64; ++i) {
        const int word = (0xFFF0 + i) & 0xFFFF;
        expected.append(static_cast<char>(word >> 8)).append(static_cast<char>(word & 0xFF));
    }
    QCOMPARE(m_tool->receive(128, kReplyBound), expected);
}

void SimulatedSensorTest::measurementsFollowRamOrTheOverride() {
    const Words ram{1000, 2000, 300, 0, 0, 0, 0, 0, 0, 3000, 4000, 5000, 0, 0, 0, 0};
    m_sensor->setRam(ram);
    QVERIFY(m_tool->send(frame(8)));
    const QByteArray live = m_tool->receive(36, kReplyBound);
    QCOMPARE(live.left(4), frame(8).left(4));
    sim::Frame received{};
    std::copy(live.begin(), live.end(), received.begin());
    const Words words = sim::decodeWords(received);
    const std::array liveParameters{ram[0], ram[1], ram[9], ram[10], ram[11]};
    for (std::size_t i = 0; i < liveParameters.size(); ++i)
        QVERIFY(std::abs(words[5 + i] - liveParameters[i]) <= 2);
    QVERIFY(std::abs(static_cast<std::int16_t>(words[4]) - ram[2]) <= 150);
    QVERIFY(words[10] <= 3);
    QCOMPARE(words[11], std::uint16_t{30});
    QVERIFY(std::all_of(words.begin() + 12, words.end(), [](auto word) { return word == 0; }));

    m_sensor->setMeasurementOverride(kSomeSet);
    QVERIFY(m_tool->send(frame(8)));
    QCOMPARE(m_tool->receive(36, kReplyBound), frame(8, kSomeSet));
}

void SimulatedSensorTest::teachTakesTheNormalisedSignal_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("reference");
    QTest::newRow("in range") << 768 << 768;
    QTest::newRow("negative") << 0xFF00 << 0;
    QTest::newRow("above range") << 2000 << 1023;
}

void SimulatedSensorTest::teachTakesTheNormalisedSignal() {
    QFETCH(int, signal);
    QFETCH(int, reference);
    Words measurement{};
    measurement[4] = static_cast<std::uint16_t>(signal);
    m_sensor->setMeasurementOverride(measurement);
    Words taught = kSomeSet;
    taught[2] = static_cast<std::uint16_t>(reference);
    QVERIFY(m_tool->send(frame(6, kSomeSet)));
    QCOMPARE(m_tool->receive(36, kReplyBound), frame(6, taught));
    QVERIFY(m_sensor->ram() == taught);
}

void SimulatedSensorTest::silenceStillRecordsTheRequest_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("answersOtherOrders");
    QTest::newRow("silent sensor") << Fault::Silent << false;
    QTest::newRow("silent on EEPROM reads") << Fault::None << true;
}

void SimulatedSensorTest::silenceStillRecordsTheRequest() {
    QFETCH(Fault, fault);
    QFETCH(bool, answersOtherOrders);
    m_sensor->setFault(fault);
    m_sensor->setSilentOrders({4});
    QVERIFY(m_tool->send(frame(3, kSomeSet) + frame(4)));
    QVERIFY(m_sensor->waitForFrames(2, kReplyBound));
    QVERIFY(m_sensor->eeprom() == kSomeSet);
    QCOMPARE(m_tool->receive(1, kQuietBound), QByteArray());
    QVERIFY(m_sensor->receivedFrames()[1] == sim::encodeFrame(4, {}));

    QVERIFY(m_tool->send(frame(2)));
    const QByteArray expected = answersOtherOrders ? frame(2, kFactorySet) : QByteArray();
    QCOMPARE(m_tool->receive(36, answersOtherOrders ? kReplyBound : kQuietBound), expected);
    QCOMPARE(m_sensor->repliesSent(), std::size_t{answersOtherOrders ? 1u : 0u});
}

void SimulatedSensorTest::junkBeforeAFrameIsSkipped() {
    QVERIFY(m_tool->send(QByteArray::fromHex("120000345500") + frame(2)));
    QCOMPARE(m_tool->receive(36, kReplyBound), frame(2, kFactorySet));
    QCOMPARE(m_sensor->receivedFrames().size(), std::size_t{1});
    QVERIFY(m_sensor->receivedFrames()[0] == sim::encodeFrame(2, {}));
}

void SimulatedSensorTest::faultsShapeTheReply_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("order");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("garbled"); // as long as expected, but not it
    QTest::addColumn<int>("minimumMs");
    const QByteArray ram = frame(2, kFactorySet);
    Words echo = kSomeSet;
    echo[0] = 0x00AA;
    Words wrongEcho = kSomeSet;
    wrongEcho[0] = 0x00AB;
    QByteArray firmware(64, '\0');
    for (int i = 0; i < 6; ++i)
        firmware[2 * i + 1] = kFirmwareText[i];

    QTest::newRow("none") << Fault::None << 2 << ram << false << 0;
    QTest::newRow("extra bytes") << Fault::ExtraBytes << 2 << ram + QByteArray(5, '\xEE') << false
                                 << 0;
    QTest::newRow("in pieces") << Fault::FrameInPieces << 2 << ram << false << 3 * 40;
    QTest::newRow("late") << Fault::LateReply << 2 << ram << false << 150;
    QTest::newRow("garbage") << Fault::Garbage << 2 << ram << true << 0;
    QTest::newRow("echo") << Fault::None << 5 << frame(5, echo) << false << 0;
    QTest::newRow("wrong echo") << Fault::WrongEcho << 5 << frame(5, wrongEcho) << false << 0;
    QTest::newRow("firmware") << Fault::None << 7 << firmware << false << 0;
    QTest::newRow("short firmware") << Fault::ShortFirmware << 7 << firmware.left(63) << false << 0;
}

void SimulatedSensorTest::faultsShapeTheReply() {
    QFETCH(Fault, fault);
    QFETCH(int, order);
    QFETCH(QByteArray, expected);
    QFETCH(bool, garbled);
    QFETCH(int, minimumMs);
    m_sensor->setExtraByteCount(5);
    m_sensor->setPieces(10, 40ms);
    m_sensor->setLateReplyDelay(150ms);
    m_sensor->setFirmwareText(kFirmwareText);
    m_sensor->setFault(fault);
    const auto sent = Clock::now();
    QVERIFY(m_tool->send(frame(order, kSomeSet)));
    const QByteArray reply = m_tool->receive(expected.size(), kReplyBound);
    QVERIFY(Clock::now() - sent >= std::chrono::milliseconds(minimumMs));
    QCOMPARE(m_tool->receive(1, kQuietBound), QByteArray());
    if (garbled) {
        QCOMPARE(reply.size(), expected.size());
        QVERIFY(reply != expected);
    } else {
        QCOMPARE(reply, expected);
    }
}

void SimulatedSensorTest::rawBytesReachTheTool() {
    const QByteArray raw = QByteArray::fromHex("0055000812");
    m_sensor->sendRaw({raw.begin(), raw.end()});
    QCOMPARE(m_tool->receive(raw.size(), kReplyBound), raw);
    QCOMPARE(m_sensor->repliesSent(), std::size_t{0});
}

void SimulatedSensorTest::exchangeTakesAtLeastTheLineTime_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("turnaroundMs");
    QTest::addColumn<int>("minimumMs"); // 72 bytes of 10 bits each, plus the turnaround
    QTest::newRow("19200") << 19200 << 0 << 37;
    QTest::newRow("9600") << 9600 << 0 << 74;
    QTest::newRow("19200, turnaround") << 19200 << 20 << 57;
}

void SimulatedSensorTest::exchangeTakesAtLeastTheLineTime() {
    QFETCH(int, baud);
    QFETCH(int, turnaroundMs);
    QFETCH(int, minimumMs);
    sim::SimulatedSensor sensor(
        {.baud = baud, .turnaround = std::chrono::milliseconds(turnaroundMs)});
    QVERIFY(sensor.start());
    const ToolSide tool(sensor.devicePath());
    const auto sent = Clock::now();
    QVERIFY(tool.send(frame(2)));
    QCOMPARE(tool.receive(36, kReplyBound), frame(2, kFactorySet));
    QVERIFY(Clock::now() - sent >= std::chrono::milliseconds(minimumMs));
}

void SimulatedSensorTest::stopHangsUpAndStartServesANewDevice() {
    const std::string first = m_sensor->devicePath();
    m_sensor->stop();
    QVERIFY(m_sensor->devicePath().empty());
    pollfd line{.fd = m_tool->fd(), .events = POLLIN, .revents = 0};
    QCOMPARE(poll(&line, 1, static_cast<int>(std::chrono::milliseconds(kReplyBound).count())), 1);
    char byte = 0;
    QVERIFY(read(m_tool->fd(), &byte, 1) <= 0);

    QVERIFY(m_sensor->start());
    // The old device stays taken while the tool still holds it, so this is another one.
    QVERIFY(m_sensor->devicePath() != first);
    const ToolSide again(m_sensor->devicePath());
    QVERIFY(again.send(frame(2)));
    QCOMPARE(again.receive(36, kReplyBound), frame(2, kFactorySet));
}

QTEST_GUILESS_MAIN(SimulatedSensorTest)
#include "tst_simulated_sensor.moc"
