// The device link over a real pseudo-terminal to the simulated sensor: the connect sequence,
// the waits' exact limits, stray bytes, ports that fail or go, the data-block read.
#include "SensorLink.h"

#include <ComPort.h>
#include <SerialState.h>

#include <QFile>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>

using namespace testing;
using sim::Fault;
using sim::Words;
using Bytes = std::vector<std::uint8_t>;
using Step = std::function<void()>;
// A wait left without its reply; elapsed moves in steps of 0.125 s.
struct Wait {
    Step act;
    std::set<int> unanswered;
    std::size_t answered;
    double elapsed;
    QString status;
    QString waiting; // the status line meanwhile
};
Q_DECLARE_METATYPE(Wait)
struct Connect {
    Fault fault;
    QString firmware;
    std::vector<int> orders;
    QString status;
    bool timesOut;
    std::uint8_t highByte = 0; // of each word of the firmware text
};
Q_DECLARE_METATYPE(Connect)
Q_DECLARE_METATYPE(Bytes)

namespace {

const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");
const Words kRam{510, 520, 530, 40, 0, 1, 0, 0, 0, 110, 720, 430, 1, 2, 3, 4};
// The parameter variables as the panel file starts them, in packet order.
const Words kStartUp{500, 500, 512, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0};

// Bounded: each poll waits for input a moment; the notification does not take the bytes.
bool awaitInput(int count) {
    for (int polls = 0; polls < 5000; ++polls)
        if (GetInQLen(com) >= count)
            return true;
    return false;
}

Bytes frameOf(const Words& words, int order = 2) {
    const sim::Frame frame = sim::encodeFrame(order, words);
    return {frame.begin(), frame.end()};
}

platform::ComPort* portInUse() {
    return platform::SerialState::current()->ports().find(com);
}

} // namespace
Q_DECLARE_METATYPE(Step)

class Link : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>();
        (*m_tool)->setRam(kRam);
        // Connected, but where the connect sequence is set up or watched first.
        static const QSet<QByteArray> ownConnect{"connectSequenceEndsWithItsOutcome",
                                                 "strayBytesNeverMoveAFrame",
                                                 "waitsGiveUpJustAfterTheirLimits"};
        if (!ownConnect.contains(QTest::currentTestFunction()))
            m_tool->connect();
    }

    void cleanup() { m_tool.reset(); }
    void connectSequenceEndsWithItsOutcome_data() {
        QTest::addColumn<Connect>("row");
        const QString text = QStringLiteral("T-KOR-ZUL firmware 2.17 build 9");
        QTest::newRow("sensor answers") << Connect{Fault::None, text, {5, 2, 7}, text, false};
        QTest::newRow("text ends at a zero")
            << Connect{Fault::None, "abc", {5, 2, 7}, "abc", false};
        // Read as it stands: dropping 29 bytes would make its high bytes zero, but no more than
        // a few lead a reply as strays.
        QTest::newRow("high bytes not zero")
            << Connect{Fault::None, "T-KOR-ZUL 2.17", {5, 2, 7}, "T-KOR-ZUL 2.17", false, 0x20};
        QTest::newRow("no sensor") << Connect{Fault::Silent, text, {5}, "Timeout-RS-232...", true};
        QTest::newRow("wrong echo word")
            << Connect{Fault::WrongEcho, text, {5}, "read error - not sync byte 0xAA!", false};
        QTest::newRow("63 firmware bytes")
            << Connect{Fault::ShortFirmware, text, {5, 2, 7}, "Error reading firmware-info!", true};
    }

    void connectSequenceEndsWithItsOutcome() {
        QFETCH(Connect, row);
        const auto& [fault, firmware, orders, status, timesOut, highByte] = row;
        (*m_tool)->setFault(fault);
        (*m_tool)->setFirmwareText(firmware.toStdString(), highByte);
        // A wait runs out once its reply has all come, or at once when none will.
        if (timesOut)
            useClockOnceReplied(m_tool->sensor(), fault == Fault::Silent ? 0 : orders.size());
        SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
        target = EEPROM;

        InitRS232(com);

        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        QCOMPARE(statusText(), status);
        QCOMPARE(QString::fromLatin1(szVersion), status == firmware ? firmware : QString());
        // A good line selects RAM without touching the radio buttons and shows the sensor's RAM.
        const bool answered = orders.size() > 1;
        QCOMPARE(target, answered ? RAM : EEPROM);
        QCOMPARE(shown(CTRL_EEPROM), 1);
        QCOMPARE(shownWords(), answered ? kRam : kStartUp);
        // The echo and RAM requests carry the variables, the firmware request the read packet.
        const auto frames = (*m_tool)->receivedFrames();
        QCOMPARE(sim::decodeWords(frames[0]), kStartUp);
        if (answered)
            QCOMPARE(sim::decodeWords(frames[2]), kRam);
    }

    void echoIsJudgedByItsFirstWordOnly_data() {
        QTest::addColumn<Bytes>("head");
        QTest::addColumn<int>("result");
        QTest::newRow("00 AA") << Bytes{0x00, 0x55, 0x00, 0x05, 0x00, 0xAA} << 1;
        QTest::newRow("any header") << Bytes{0x12, 0x34, 0x56, 0x78, 0x00, 0xAA} << 1;
        QTest::newRow("00 AB") << Bytes{0x00, 0x55, 0x00, 0x05, 0x00, 0xAB} << 0;
        QTest::newRow("AA 00") << Bytes{0x00, 0x55, 0x00, 0x05, 0xAA, 0x00} << 0;
    }

    void echoIsJudgedByItsFirstWordOnly() {
        QFETCH(Bytes, head);
        QFETCH(int, result);
        head.resize(FRAME_BYTES, 0x07);
        // The sensor leaves the echo request to this reply, sent once the request is in.
        (*m_tool)->setFault(Fault::Silent);
        platform::setTimerSource(
            [this, head, before = (*m_tool)->receivedFrames().size(), sent = false]() mutable {
                if (!sent && (*m_tool)->receivedFrames().size() > before) {
                    (*m_tool)->sendRaw(head);
                    sent = true;
                }
                return 0.0;
            });
        QCOMPARE(CheckComLine(com), result);
        QCOMPARE(statusText(), result ? QStringLiteral("Echo Check - Line Ok!")
                                      : QStringLiteral("read error - not sync byte 0xAA!"));
        QCOMPARE(pp[15], 0x0707);
    }

    void waitsGiveUpJustAfterTheirLimits_data() {
        QTest::addColumn<Wait>("wait");
        const std::set<int> all{1, 2, 3, 4, 5, 6, 7, 8, 9};
        const QString teached = QStringLiteral("New setpoint value teached!");
        QTest::newRow("Get, more than 2.0 s")
            << Wait{[] { click(CTRL_GET); },          all, 0, 2.125, "Timeout-RS-232...",
                    "Waiting for parameter-frame ..."};
        QTest::newRow("firmware, more than 2.0 s")
            << Wait{[] { InitRS232(com); },         {7}, 2, 2.125, "Error reading firmware-info!",
                    "Waiting for firmware info ..."};
        QTest::newRow("data block, more than 1.5 s") << Wait{
            [] { ReadData64(0, 0); },  all, 0, 1.625, "Timeout-RS-232 while reading 64 data-words!",
            "Waiting for Data[64] ..."};
        QTest::newRow("live view, more than 2.0 s")
            << Wait{[] { click(CTRL_RUN); }, all, 0, 2.125, "Timeout RS232-Line!", "Line Ok!"};
        QTest::newRow("teach, 1.5 s")
            << Wait{[] { click(CTRL_TEACH); }, all, 0, 1.5, "Timeout RS-232!!", teached};
        QTest::newRow("Button teach, 1.0 s")
            << Wait{[] { click(CTRL_BUTTON_TEACH); }, all, 0, 1.0, "Timeout RS-232!!", teached};
    }

    void waitsGiveUpJustAfterTheirLimits() {
        QFETCH(Wait, wait);
        // What is shown before a wait, values read included, is on screen meanwhile.
        PaintLog painted;
        m_tool->connect();
        Words ram = kRam;
        ram[0] = 321;
        (*m_tool)->setRam(ram);
        (*m_tool)->setSilentOrders(wait.unanswered);
        useClock(m_tool->sensor(), wait.answered + 1);
        wait.act();
        QCOMPARE(statusText(), wait.status);
        QCOMPARE(tdiff, wait.elapsed);
        QVERIFY(painted.texts[control(CTRL_STATUS)].contains(wait.waiting));
        const QString power0 = QString::number(shownWords()[0]);
        QVERIFY(painted.texts[control(CTRL_POWER0)->findChild<QLineEdit*>()].contains(power0));
        // Stop, as after a live view the line ended, leaves the text.
        click(CTRL_STOP);
        QCOMPARE(statusText(), wait.status);
    }

    void strayBytesNeverMoveAFrame_data() {
        QTest::addColumn<Bytes>("trailing");
        QTest::addColumn<int>("after");
        // Behind the reply (0), ahead of it (-1), or this many ms later, the next request gone.
        QTest::newRow("CR behind") << Bytes{0x0D} << 0;
        QTest::newRow("CR ahead") << Bytes{0x0D} << -1;
        QTest::newRow("8 zeros ahead") << Bytes(8, 0x00) << -1;
        QTest::newRow("8 bytes behind") << Bytes(8, 0xEE) << 0;
        QTest::newRow("CR 25 ms later") << Bytes{0x0D} << 25;
        QTest::newRow("CR LF 40 ms later") << Bytes{0x0D, 0x0A} << 40;
        QTest::newRow("8 zeros 30 ms later") << Bytes(8, 0x00) << 30;
        QTest::newRow("55 60 ms later") << Bytes{0x55} << 60;
    }

    void strayBytesNeverMoveAFrame() {
        QFETCH(Bytes, trailing);
        QFETCH(int, after);
        sim::SimulatedSensor& sensor = m_tool->sensor();
        const Words eeprom{700, 710, 720, 73, 2, 0, 5, 3, 4, 111, 722, 433, 5, 6, 7, 8};
        const Words measurement{11, 22, 33, 44, 600, 501, 502, 503, 504, 505, 2, 30, 0, 0, 0, 0};
        sensor.setEeprom(eeprom);
        sensor.setMeasurementOverride(measurement);
        sensor.setExtraBytes(trailing, std::chrono::milliseconds(std::max(after, 0)));
        sensor.setFault(after < 0 ? Fault::BytesAhead : Fault::ExtraBytes);

        m_tool->connect();
        QCOMPARE(shownWords(), kRam);
        QCOMPARE(statusText(), kFirmware);
        click(CTRL_EEPROM);
        click(CTRL_GET);
        QCOMPARE(shownWords(), eeprom);
        QCOMPARE(statusText(), kFirmware);
        click(CTRL_RAM);
        click(CTRL_GET);
        QCOMPARE(shownWords(), kRam);
        click(CTRL_TEACH);
        QCOMPARE(sensor.ram()[2], 600);
        QCOMPARE(shownWords(), sensor.ram());
        Words ram = sensor.ram();
        ram[2] = 123;
        sensor.setRam(ram);
        click(CTRL_BUTTON_TEACH);
        QCOMPARE(shownWords(), ram);

        // Nor bytes between a request's flush and its write (the loop reads the clock there).
        constexpr std::size_t kShown = 6;
        platform::setTimerSource([&sensor, at = sensor.receivedFrames().size() + 3] {
            if (rx_flag == 1 && sensor.receivedFrames().size() == at) {
                sensor.sendRaw({0xEE, 0xEE, 0xEE});
                awaitInput(3);
            }
            if (sensor.receivedFrames().size() == at + kShown - 2)
                click(CTRL_STOP, false);
            return 0.0;
        });
        click(CTRL_RUN);
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        const QList<double> traces{11, 22, 33, 44, 505};
        for (std::size_t sample = HISTORY - kShown; sample < HISTORY; ++sample)
            QCOMPARE(QList<double>(arrayRAW + sample * 5, arrayRAW + sample * 5 + 5), traces);
        for (int i = 0; const int id :
                        {CTRL_RAW_1, CTRL_RAW_2, CTRL_RAW_3, CTRL_RAW_4, CTRL_NORMALISED,
                         CTRL_POWER0, CTRL_POWER1, CTRL_TEACH_AB, CTRL_TEACH_CD, CTRL_TEACH_THD})
            QCOMPARE(shown(id), int(measurement[i++]));
        QCOMPARE(shown(CTRL_REPORTED_TOLERANCE), 30);

        // What a Get after the live view shows, Send writes back: the sensor's RAM unchanged.
        ram = sensor.ram();
        click(CTRL_GET);
        QCOMPARE(shownWords(), ram);
        const std::size_t sent = sensor.receivedFrames().size() + 1;
        click(CTRL_SEND);
        QVERIFY(sensor.waitForFrames(sent, std::chrono::seconds(5)));
        QCOMPARE(sensor.ram(), ram);
    }

    void staleInputIsFlushedBeforeARequest_data() {
        QTest::addColumn<bool>("lineCheck");
        QTest::newRow("Get") << false;
        QTest::newRow("line check") << true;
    }

    void staleInputIsFlushedBeforeARequest() {
        QFETCH(bool, lineCheck);
        click(CTRL_SEND);
        // The head of a late reply to an earlier request of the same order: begun as the
        // coming reply is, so that only the flush keeps it out of that reply.
        Bytes stale = frameOf({0x00AA, 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0x7777},
                              lineCheck ? ORDER_LINE_CHECK : ORDER_READ_RAM);
        stale.resize(20);
        (*m_tool)->sendRaw(stale);
        QVERIFY(awaitInput(20));
        if (lineCheck) {
            QCOMPARE(CheckComLine(com), 1);
            QCOMPARE(pp[1], kRam[1]);
        } else {
            click(CTRL_GET);
            QCOMPARE(shownWords(), (*m_tool)->ram());
        }
    }

    void aByteBehindTheFirmwareTextIsNoPartOfIt() {
        // Already there when the text is read, as a CR right behind it can be.
        sim::SimulatedSensor& sensor = m_tool->sensor();
        sensor.setExtraBytes({0x0D});
        sensor.setFault(Fault::ExtraBytes);
        InstallComCallback(com, 0, FRAME_BYTES, com232::sync, nullptr, nullptr);
        FlushInQ(com);
        const std::size_t replied = sensor.repliesSent();
        SendFrame(com, ORDER_FIRMWARE, pp);
        QVERIFY(waitUntil([&] { return sensor.repliesSent() > replied; }));
        QCOMPARE(ReadFirmwareReply(), FIRMWARE_BYTES);
        QCOMPARE(QString::fromLatin1(szVersion), kFirmware);
    }

    void aReplyWithoutItsHeaderAfterASendIsTakenAsItStands() {
        // A write is not answered: the Get after it has no earlier reply to wait out.
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForFrames(1, std::chrono::seconds(5)));
        (*m_tool)->setFault(Fault::Garbage);
        useClock(m_tool->sensor());
        click(CTRL_GET);
        // Taken on the first try, as it always was: Send's text stays, no time-out replaces it.
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        QVERIFY(shownWords() != kRam);
    }

    void inputBetweenAFlushAndItsRequestIsNoReply() {
        FlushInQ(com);
        Bytes stale = frameOf({0x1111, 0x2222, 0x3333});
        stale.resize(20);
        (*m_tool)->sendRaw(stale);
        QVERIFY(awaitInput(20));
        SendFrame(com, ORDER_READ_RAM, pp);
        QVERIFY(awaitInput(FRAME_BYTES));
        unsigned char reply[FRAME_BYTES];
        QCOMPARE(ComRd(com, reinterpret_cast<char*>(reply), FRAME_BYTES), FRAME_BYTES);
        QCOMPARE(Bytes(reply, reply + FRAME_BYTES), frameOf(kRam));
    }

    void inputQueueHoldsItsSizeUnderAFlood() {
        // What does not fit the queue waits in the device and goes with the next flush.
        InstallComCallback(com, 0, FRAME_BYTES, com232::sync, nullptr, nullptr);
        (*m_tool)->setFlood(true);
        QVERIFY(awaitInput(4096));
        for (int poll = 0; poll < 20; ++poll)
            QCOMPARE(GetInQLen(com), 4096);
        (*m_tool)->setFlood(false);
        FlushInQ(com);
        InstallComCallback(com, eventMask, FRAME_BYTES, com232::sync, RX_Receive_Function, nullptr);
        click(CTRL_GET);
        QCOMPARE(shownWords(), kRam);
    }

    void firmwareQueryLeavesNoFrameBehind() {
        // Neither a frame too late for the firmware query nor the Get's left raised is for anyone.
        PushGET(RAM);
        QCOMPARE(rx_flag, 1);
        (*m_tool)->setSilentOrders({7});
        bool arrived = false;
        platform::setTimerSource([this, &arrived, readings = 0]() mutable {
            if (++readings == 1)
                return 0.0;
            (*m_tool)->sendRaw(frameOf({0xBAD}));
            arrived = awaitInput(FRAME_BYTES);
            return 3.0;
        });
        QCOMPARE(GetVERSIONInfo(), 0);
        QVERIFY(arrived);
        dispatchPending();
        QCOMPARE(rx_flag, 0);
        QCOMPARE(pp[0], kRam[0]);
    }

    void onlyAWholeFrameRaisesTheFlags() {
        // Frames together or in pieces are the fuzzer's; here notifications that find no frame.
        (*m_tool)->sendRaw(frameOf({1111}));
        QVERIFY(awaitInput(FRAME_BYTES));
        RX_Receive_Function(com, kComEventCharacter | kComEventOutputEmpty, nullptr);
        QCOMPARE(GetInQLen(com), FRAME_BYTES);
        FlushInQ(com);
        SetComTime(com, 0.05);
        (*m_tool)->sendRaw(Bytes(20, 0x11));
        QVERIFY(awaitInput(20));
        RX_Receive_Function(com, kComEventNotifyCount, nullptr);
        QCOMPARE(rx_flag, 0);
        QCOMPARE(pp[0], kRam[0]);
    }

    void replyInTheLastPassIsReadButCountsAsATimeOut() {
        power0 = 1;
        platform::setTimerSource([] { return rx_flag == 1 ? 5.0 : 0.0; });
        PushGET(RAM);
        QCOMPARE(ret, 0);
        QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
        QCOMPARE(power0, kRam[0]);
    }

    // A missing device's text is checked with the causes of failed opens.
    void aPortThatCannotBeOpened() {
        setenv("NALVO_COM2", "/dev/null", 1);
        chooseItem(CTRL_PORT, 1);
        dispatchPending();
        QCOMPARE(com, 2);
        QCOMPARE(statusText(), QStringLiteral("Cannot open port"));
        // No port stays open: the old one has let go of its device, and a Get times out.
        setenv("NALVO_COM3", (*m_tool)->devicePath().c_str(), 1);
        QCOMPARE(OpenComConfig(3, "", 19200, 0, 8, 1, 4096, 4096), 0);
        useClock(m_tool->sensor(), 0);
        click(CTRL_GET);
        QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
        InitRS232(0);
        QCOMPARE(statusText(), QStringLiteral("Invalid port number"));
    }

    // Its coming back is followed with the port list.
    void deviceThatDisappearsFailsQuietly() {
        (*m_tool)->stop();
        useClock(m_tool->sensor(), 0);
        click(CTRL_GET);
        QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
        QVERIFY(ComWrt(com, "x", 1) < 0);
    }

    void portTakesTheNextReplyAfter_data() {
        QTest::addColumn<Step>("before");
        // Qt reports a read that finds no bytes, another wait having taken them, as a gone device.
        QTest::newRow("a read that finds nothing") << Step([] {
            emit portInUse()->qtPort().errorOccurred(QSerialPort::ResourceError);
            dispatchPending();
        });
        // Port 2 names port 1's device through a symlink, as /dev/serial/by-id/... an adapter.
        QTest::newRow("its device refused under another name") << Step([this] {
            QTemporaryDir dir;
            const QString alias = dir.filePath(QStringLiteral("by-id-sensor"));
            QVERIFY(QFile::link(QString::fromStdString((*m_tool)->devicePath()), alias));
            setenv("NALVO_COM2", alias.toLocal8Bit().constData(), 1);
            InitRS232(2);
            QCOMPARE(statusText(), QStringLiteral("Cannot open port"));
        });
        // With nothing on its way, a port resting for a frame would wake the program some fifty
        // times a second to find none; it watches the device instead.
        QTest::newRow("an idle line")
            << Step([] { QTRY_VERIFY_WITH_TIMEOUT(portInUse()->watchesDevice(), 1000); });
        QTest::newRow("a request left unanswered") << Step([this] {
            (*m_tool)->setFault(Fault::Silent);
            SendFrame(com, 2, pp);
            QTRY_VERIFY_WITH_TIMEOUT(portInUse()->watchesDevice(), 1000);
            (*m_tool)->setFault(Fault::None);
        });
    }

    void portTakesTheNextReplyAfter() {
        QFETCH(Step, before);
        before();
        if (QTest::currentTestFailed())
            return;
        power0 = 1;
        PushGET(RAM);
        QCOMPARE(power0, kRam[0]);
    }

    void qtSerialPortInternalsAreReachedHere() {
        // Qt 6.4's QSerialPort has a read notifier of its own; the plain way leaves it alone.
        if (!NALVO_SERIAL_INTERNALS)
            QSKIP("Built for another Qt: every port takes the plain way");
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        QSerialPort device(QString::fromLocal8Bit(ptsname(master)));
        QVERIFY(device.open(QIODevice::ReadWrite));
        const auto threshold = [&device] {
            termios settings{};
            return tcgetattr(device.handle(), &settings) == 0 ? settings.c_cc[VMIN] : cc_t{255};
        };
        platform::PortInternals internals(device);
        internals.choosePlain(false);
        QVERIFY(internals.readNotifier() != nullptr);
        QVERIFY(internals.setWakeThreshold(7));
        QCOMPARE(threshold(), cc_t{7});
        internals.choosePlain(true);
        QVERIFY(internals.readNotifier() == nullptr);
        QVERIFY(!internals.setWakeThreshold(3));
        QCOMPARE(threshold(), cc_t{7});
        device.close();
        ::close(master);
    }

    void dataBlockIsStoredByAddress() {
        // The data-block reply's own shapes are the fuzzer's.
        std::fill(std::begin(yArrayA), std::end(yArrayA), 0xBEEF);
        std::fill(std::begin(yArrayB), std::end(yArrayB), 0xBEEF);
        QCOMPARE(ReadData64(64, 0x1234), 64);
        QCOMPARE(statusText(), QStringLiteral("Data[64] block received!"));
        const sim::Frame expected{0x00, 0x55, 0x00, 0x09, 0x00, 0x40, 0x12, 0x34};
        QCOMPARE((*m_tool)->receivedFrames().back(), expected);
        QCOMPARE(yArrayA[63] + yArrayA[64] + yArrayA[127], 0xBEEF + 64 + 127);
        QCOMPARE(ReadData64(5, 0), 64);
        QCOMPARE(yArrayA[0] + yArrayB[64], 2 * 0xBEEF);
        // A time-out clears the first 128 words of both buffers.
        (*m_tool)->setFault(Fault::Silent);
        useClock(m_tool->sensor(), 1);
        QCOMPARE(ReadData64(0, 0), 0);
        QCOMPARE(yArrayA[127] + yArrayB[127], 0);
        QCOMPARE(yArrayA[128] + yArrayB[255], 2 * 0xBEEF);
    }

private:
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(Link)
#include "tst_link.moc"
