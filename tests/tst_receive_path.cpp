// The receive path over a real pseudo-terminal: the notification, the bounded wait and its
// exact time-out, replies that come late, in pieces or several at once, ports that cannot be
// opened, and a device that disappears.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace testing;
using sim::Fault;
using sim::Words;

namespace {

const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");
const Words kRam{510, 520, 530, 40, 0, 1, 0, 0, 0, 110, 720, 430, 1, 2, 3, 4};

std::vector<std::uint8_t> frameOf(const Words& words) {
    const sim::Frame frame = sim::encodeFrame(2, words);
    return {frame.begin(), frame.end()};
}

Words packet() {
    return std::to_array(pp);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class ReceivePath : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exactlyTwoSecondsIsNoTimeout_data();
    void exactlyTwoSecondsIsNoTimeout();
    void frameHandledInTheLastPassStillCounts();
    void replyAfterTheWaitGaveUpStillLands();
    void replyInPiecesWaitsUntilComplete();
    void strayBytesNeverMoveAFrame_data();
    void strayBytesNeverMoveAFrame();
    void framesQueuedTogetherGiveOneDecode();
    void notificationWithoutTheCountEventDoesNothing();
    void shortReadLeavesPacketAndFlags();
    void openErrorsHaveTheirTexts_data();
    void openErrorsHaveTheirTexts();
    void portThatCannotBeOpenedIsReported_data();
    void portThatCannotBeOpenedIsReported();
    void choosingThePortAgainReconnects();
    void deviceOpenedUnderAnotherNameIsRefused();
    void deviceThatDisappearsFailsQuietlyAndComesBack();

private:
    std::unique_ptr<ToolWithSensor> m_sensor;
};

void ReceivePath::init() {
    m_sensor = std::make_unique<ToolWithSensor>();
    (*m_sensor)->setRam(kRam);
    m_sensor->connect();
    QCOMPARE(statusText(), kFirmware);
}

void ReceivePath::cleanup() {
    m_sensor.reset();
}

void ReceivePath::exactlyTwoSecondsIsNoTimeout_data() {
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<bool>("received");
    QTest::newRow("2.0 s") << 2.0 << true;
    QTest::newRow("just over 2.0 s") << std::nextafter(2.0, 3.0) << false;
}

void ReceivePath::exactlyTwoSecondsIsNoTimeout() {
    QFETCH(double, elapsed);
    QFETCH(bool, received);
    // A reply handled in the pass that runs out of time would still be taken: after the
    // time-out there is none to take.
    if (!received)
        (*m_sensor)->setFault(Fault::Silent);
    power0 = 1;
    // The wait starts at 0.0 and then finds the given time gone by at once.
    useScriptedClock({0.0, elapsed});
    PushGET(RAM);
    QCOMPARE(statusText(), received ? kFirmware : QStringLiteral("Timeout-RS-232..."));
    QCOMPARE(power0, received ? 510 : 1);
}

void ReceivePath::frameHandledInTheLastPassStillCounts() {
    // Time runs out in the very pass that handled the reply: the wait reports a time-out,
    // and the read takes the frame all the same.
    platform::setTimerSource([] { return rx_flag == 1 ? 5.0 : 0.0; });
    PushGET(RAM);
    QCOMPARE(ret, 0);
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    QCOMPARE(power0, 510);
}

void ReceivePath::replyAfterTheWaitGaveUpStillLands() {
    (*m_sensor)->setFault(Fault::LateReply);
    (*m_sensor)->setLateReplyDelay(200ms);
    power0 = 1;
    useScriptedClock({0.0, 2.5});
    PushGET(RAM);
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    QCOMPARE(power0, 1);
    QCOMPARE(rx_flag, 0);
    QVERIFY(waitUntil([] { return rx_flag == 1; }));
    QCOMPARE(graphrefresh, 1);
    QCOMPARE(packet(), kRam);
}

void ReceivePath::replyInPiecesWaitsUntilComplete() {
    (*m_sensor)->setFault(Fault::FrameInPieces);
    (*m_sensor)->setPieces(7, 20ms);
    PushGET(RAM);
    QCOMPARE(statusText(), kFirmware);
    QCOMPARE(power1, 520);
}

void ReceivePath::strayBytesNeverMoveAFrame_data() {
    QTest::addColumn<int>("trailing");
    QTest::newRow("1 byte") << 1;
    QTest::newRow("2 bytes") << 2;
    QTest::newRow("8 bytes") << 8;
}

void ReceivePath::strayBytesNeverMoveAFrame() {
    // Every reply drags bytes behind it (a CR, a checksum, noise), arriving while the next
    // request is on its way: no reply may be read from the wrong place because of them.
    QFETCH(int, trailing);
    m_sensor.reset();
    m_sensor = std::make_unique<ToolWithSensor>();
    sim::SimulatedSensor& sensor = m_sensor->sensor();
    const Words eeprom{700, 710, 720, 73, 2, 0, 5, 3, 4, 111, 722, 433, 5, 6, 7, 8};
    Words measurement{11, 22, 33, 44, 600, 501, 502, 503, 504, 505, 2, 30, 0, 0, 0, 0};
    sensor.setRam(kRam);
    sensor.setEeprom(eeprom);
    sensor.setMeasurementOverride(measurement);
    sensor.setExtraByteCount(static_cast<std::size_t>(trailing));
    sensor.setFault(Fault::ExtraBytes);
    const auto shownWords = [] {
        GetPanelValues();
        CopyVarsToPP();
        return packet();
    };
    const auto click = [](int id) {
        clickControl(id);
        dispatchPending();
    };

    m_sensor->connect();
    QCOMPARE(shownWords(), kRam);
    click(CTRL_EEPROM);
    click(CTRL_GET);
    QCOMPARE(shownWords(), eeprom);
    click(CTRL_RAM);
    click(CTRL_GET);
    QCOMPARE(shownWords(), kRam);
    click(CTRL_TEACH);
    QCOMPARE(sensor.ram()[2], 600);
    QCOMPARE(shownWords(), sensor.ram());
    sensor.setMeasurementOverride(std::nullopt);
    Words ram = sensor.ram();
    ram[2] = 123;
    sensor.setRam(ram);
    click(CTRL_BUTTON_TEACH);
    QCOMPARE(shownWords(), sensor.ram());

    sensor.setMeasurementOverride(measurement);
    const std::size_t before = sensor.receivedFrames().size();
    platform::setTimerSource([&sensor, before, stopped = false]() mutable {
        if (!stopped && sensor.receivedFrames().size() >= before + 6) {
            clickControl(CTRL_STOP);
            stopped = true;
        }
        return 0.0;
    });
    click(CTRL_RUN);
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
    const int shown[] = {intValue(CTRL_RAW_1),      intValue(CTRL_RAW_2),
                         intValue(CTRL_RAW_3),      intValue(CTRL_RAW_4),
                         intValue(CTRL_NORMALISED), intValue(CTRL_POWER0),
                         intValue(CTRL_POWER1),     intValue(CTRL_TEACH_AB),
                         intValue(CTRL_TEACH_CD),   intValue(CTRL_TEACH_THD)};
    for (int i = 0; i < 10; ++i)
        QCOMPARE(shown[i], int(measurement[static_cast<size_t>(i)]));
    QCOMPARE(intValue(CTRL_REPORTED_TOLERANCE), 30);
}

void ReceivePath::framesQueuedTogetherGiveOneDecode() {
    Words first = kRam;
    first[0] = 1111;
    Words second = kRam;
    second[0] = 2222;
    std::vector<std::uint8_t> three = frameOf(first);
    for (const Words& more : {second, second}) {
        const auto bytes = frameOf(more);
        three.insert(three.end(), bytes.begin(), bytes.end());
    }
    rx_flag = 0;
    (*m_sensor)->sendRaw(three);
    QVERIFY(waitUntil([] { return rx_flag == 1; }));
    QCOMPARE(packet(), first);
    QCOMPARE(GetInQLen(com), 0);
    // The other two frames were discarded, not kept for later.
    rx_flag = 0;
    for (int pass = 0; pass < 50; ++pass)
        ProcessSystemEvents();
    QCOMPARE(rx_flag, 0);
    QCOMPARE(pp[0], 1111);
}

void ReceivePath::notificationWithoutTheCountEventDoesNothing() {
    Words sent = kRam;
    sent[5] = 4321;
    rx_flag = 0;
    (*m_sensor)->sendRaw(frameOf(sent));
    QVERIFY(waitUntil([] { return GetInQLen(com) == FRAME_BYTES; }));
    RX_Receive_Function(com, kComEventCharacter | kComEventOutputEmpty, nullptr);
    QCOMPARE(rx_flag, 0);
    QCOMPARE(GetInQLen(com), FRAME_BYTES);
    QVERIFY(waitUntil([] { return rx_flag == 1; }));
    QCOMPARE(pp[5], 4321);
}

void ReceivePath::shortReadLeavesPacketAndFlags() {
    SetComTime(com, 0.05);
    std::fill(std::begin(pp), std::end(pp), 77);
    rx_flag = 0;
    graphrefresh = 0;
    (*m_sensor)->sendRaw(std::vector<std::uint8_t>(20, 0x11));
    QVERIFY(waitUntil([] { return GetInQLen(com) == 20; }));
    RX_Receive_Function(com, kComEventNotifyCount, nullptr);
    QCOMPARE(rx_flag, 0);
    QCOMPARE(graphrefresh, 0);
    Words untouched;
    untouched.fill(77);
    QCOMPARE(packet(), untouched);
    QCOMPARE(GetInQLen(com), 0);
}

void ReceivePath::openErrorsHaveTheirTexts_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");
    QTest::newRow("-1") << -1 << "Unknown system error";
    QTest::newRow("-2") << -2 << "Invalid port number";
    QTest::newRow("-3") << -3 << "Port is not open";
    QTest::newRow("-4") << -4 << "Unknown I/0 error";
    QTest::newRow("-5") << -5 << "RS-232 error!";
    QTest::newRow("-6") << -6 << "No serial port found";
    QTest::newRow("-7") << -7 << "Cannot open port";
    QTest::newRow("-8") << -8 << "RS-232 error!";
    QTest::newRow("-100") << -100 << "RS-232 error!";
}

void ReceivePath::openErrorsHaveTheirTexts() {
    QFETCH(int, result);
    QFETCH(QString, text);
    QCOMPARE(QString::fromLatin1(OpenErrorText(result)), text);
}

void ReceivePath::portThatCannotBeOpenedIsReported_data() {
    QTest::addColumn<QString>("device"); // "busy": the sensor's device, which port 1 holds
    QTest::addColumn<QString>("status");
    QTest::newRow("no such device") << "/dev/nalvo-missing"
                                    << "No serial port found";
    QTest::newRow("port in use") << "busy"
                                 << "Cannot open port";
    QTest::newRow("not a serial device") << "/dev/null"
                                         << "Cannot open port";
}

void ReceivePath::portThatCannotBeOpenedIsReported() {
    QFETCH(QString, device);
    QFETCH(QString, status);
    const bool busy = device == QLatin1String("busy");
    const std::string path = busy ? (*m_sensor)->devicePath() : device.toStdString();
    setenv("NALVO_COM2", path.c_str(), 1);
    if (busy) {
        // Someone else holds the sensor's device.
        CloseCom(com);
        setenv("NALVO_COM3", path.c_str(), 1);
        QCOMPARE(OpenComConfig(3, "", 19200, 0, 8, 1, 4096, 4096), 0);
    }
    chooseItem(CTRL_PORT, 1);
    dispatchPending();
    QCOMPARE(com, 2);
    QCOMPARE(statusText(), status);

    // Nothing reaches a port that is not open; a Get ends in its time-out.
    PushGET(RAM);
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    InitRS232(0);
    QCOMPARE(statusText(), QStringLiteral("Invalid port number"));
    CloseCom(3);
}

void ReceivePath::choosingThePortAgainReconnects() {
    chooseItem(CTRL_PORT, 0);
    dispatchPending();
    QCOMPARE(ordersSent(m_sensor->sensor()), (std::vector<int>{5, 2, 7}));
    QCOMPARE(com, 1);
    QCOMPARE(statusText(), kFirmware);
}

void ReceivePath::deviceOpenedUnderAnotherNameIsRefused() {
    // Port 1 holds the sensor's device; port 2 names it through a symlink, as
    // /dev/serial/by-id/... names a USB adapter.
    QTemporaryDir dir;
    const QString alias = dir.filePath(QStringLiteral("by-id-sensor"));
    QVERIFY(QFile::link(QString::fromStdString((*m_sensor)->devicePath()), alias));
    setenv("NALVO_COM2", alias.toLocal8Bit().constData(), 1);
    QCOMPARE(OpenComConfig(2, "", 19200, 0, 8, 1, 4096, 4096), kComErrCannotOpen);
    InitRS232(2);
    QCOMPARE(statusText(), QStringLiteral("Cannot open port"));
    // The first user goes on undisturbed.
    power0 = 1;
    PushGET(RAM);
    QCOMPARE(power0, kRam[0]);
}

void ReceivePath::deviceThatDisappearsFailsQuietlyAndComesBack() {
    (*m_sensor)->stop();
    // The lost device costs no processor time while the panel waits for the operator.
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    while (wall.elapsed() < 300)
        ProcessSystemEvents();
    const double cpuShare = (cpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    QVERIFY2(cpuShare < 0.5, qPrintable(QString::number(cpuShare)));

    PushGET(RAM);
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    QVERIFY(ComWrt(com, "x", 1) < 0);

    // The cable is back: choosing the port again opens the new device.
    m_sensor->port().restart();
    chooseItem(CTRL_PORT, 0);
    dispatchPending();
    QCOMPARE(statusText(), kFirmware);
}

QTEST_MAIN(ReceivePath)
#include "tst_receive_path.moc"
