// Connecting to the sensor over a real pseudo-terminal: the line check, the parameter read
// and the firmware text, the requests' bytes, and the data-block read.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QTest>

using namespace testing;
using sim::Fault;
using sim::Words;

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(std::set<int>)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

const Words kSensorRam{600, 700, 800, 90, 2, 0, 5, 3, 4, 110, 710, 410, 12, 13, 14, 15};

// The parameter variables as the panel file starts them, in packet order.
const Words kStartUpVariables{500, 500, 512, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0};

} // namespace

class DeviceLink : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void connectSequenceEndsWithItsOutcome_data();
    void connectSequenceEndsWithItsOutcome();
    void connectRequestsCarryTheVariablesThenThePacket();
    void echoIsJudgedByItsFirstWordOnly_data();
    void echoIsJudgedByItsFirstWordOnly();
    void repliesLongerThanTheBufferAreRefused();
    void dataBlockIsStoredByAddress();
    void dataBlockTimeoutClearsBothBuffers();

private:
    std::unique_ptr<ToolWithSensor> m_sensor;
};

void DeviceLink::init() {
    szVersion[0] = '\0';
    free12 = free13 = free14 = free15 = 0;
    m_sensor = std::make_unique<ToolWithSensor>();
    (*m_sensor)->setRam(kSensorRam);
}

void DeviceLink::cleanup() {
    m_sensor.reset();
}

void DeviceLink::connectSequenceEndsWithItsOutcome_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<std::set<int>>("unanswered");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<std::vector<int>>("orders");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("version");
    const QString text = QStringLiteral("T-KOR-ZUL firmware 2.17 build 9");
    QTest::newRow("sensor answers")
        << Fault::None << std::set<int>{} << text << std::vector<int>{5, 2, 7} << text << text;
    QTest::newRow("text ends at a zero")
        << Fault::None << std::set<int>{} << "abc" << std::vector<int>{5, 2, 7} << "abc"
        << "abc";
    QTest::newRow("no sensor") << Fault::Silent << std::set<int>{} << text << std::vector<int>{5}
                               << "Timeout-RS-232..."
                               << "";
    QTest::newRow("wrong echo word") << Fault::WrongEcho << std::set<int>{} << text
                                     << std::vector<int>{5} << "read error - not sync byte 0xAA!"
                                     << "";
    QTest::newRow("63 firmware bytes")
        << Fault::ShortFirmware << std::set<int>{} << text << std::vector<int>{5, 2, 7}
        << "Error reading firmware-info!"
        << "";
    QTest::newRow("no firmware reply")
        << Fault::None << std::set<int>{7} << text << std::vector<int>{5, 2, 7}
        << "Error reading firmware-info!"
        << "";
}

void DeviceLink::connectSequenceEndsWithItsOutcome() {
    QFETCH(Fault, fault);
    QFETCH(std::set<int>, unanswered);
    QFETCH(QString, firmware);
    QFETCH(std::vector<int>, orders);
    QFETCH(QString, status);
    QFETCH(QString, version);
    (*m_sensor)->setFault(fault);
    (*m_sensor)->setSilentOrders(unanswered);
    (*m_sensor)->setFirmwareText(firmware.toStdString());
    SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
    target = EEPROM;

    InitRS232(com);

    QCOMPARE(ordersSent(m_sensor->sensor()), orders);
    QCOMPARE(statusText(), status);
    QCOMPARE(QString::fromLatin1(szVersion), version);
    const bool answered = orders.size() > 1;
    // A good line selects RAM as the target without touching the radio buttons.
    QCOMPARE(target, answered ? RAM : EEPROM);
    QCOMPARE(intValue(CTRL_EEPROM), 1);
    if (answered && !unanswered.count(2))
        QCOMPARE(intValue(CTRL_POWER0), 600);
    // The notification is back: a frame sent now is decoded.
    rx_flag = 0;
    (*m_sensor)->sendRaw(std::vector<std::uint8_t>(FRAME_BYTES, 0x01));
    QVERIFY(waitUntil([] { return rx_flag == 1; }));
    QCOMPARE(pp[0], 0x0101);
}

void DeviceLink::connectRequestsCarryTheVariablesThenThePacket() {
    InitRS232(com);
    const auto frames = (*m_sensor)->receivedFrames();
    QCOMPARE(frames.size(), size_t(3));
    QCOMPARE(frames[0][0], 0x00);
    QCOMPARE(frames[0][1], 0x55);
    QCOMPARE(sim::decodeWords(frames[0]), kStartUpVariables);
    QCOMPARE(sim::decodeWords(frames[1]), kStartUpVariables);
    // The firmware request carries the packet as the parameter read left it.
    QCOMPARE(sim::decodeWords(frames[2]), kSensorRam);
    QCOMPARE(power0, 600);
    QCOMPARE(free15, 15);
}

void DeviceLink::echoIsJudgedByItsFirstWordOnly_data() {
    QTest::addColumn<std::vector<std::uint8_t>>("head");
    QTest::addColumn<int>("result");
    QTest::newRow("00 AA") << std::vector<std::uint8_t>{0x00, 0x55, 0x00, 0x05, 0x00, 0xAA} << 1;
    QTest::newRow("any header") << std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x00, 0xAA}
                                << 1;
    QTest::newRow("00 AB") << std::vector<std::uint8_t>{0x00, 0x55, 0x00, 0x05, 0x00, 0xAB} << 0;
    QTest::newRow("AA 00") << std::vector<std::uint8_t>{0x00, 0x55, 0x00, 0x05, 0xAA, 0x00} << 0;
}

void DeviceLink::echoIsJudgedByItsFirstWordOnly() {
    QFETCH(std::vector<std::uint8_t>, head);
    QFETCH(int, result);
    (*m_sensor)->setFault(Fault::Silent);
    m_sensor->connect();
    // The sensor stays silent; the reply comes by hand once the request is out.
    std::vector<std::uint8_t> reply = head;
    reply.resize(FRAME_BYTES, 0x07);
    bool replied = false;
    platform::setTimerSource([&] {
        if (!replied && (*m_sensor)->receivedFrames().size() == 1) {
            (*m_sensor)->sendRaw(reply);
            replied = true;
        }
        return 0.0;
    });
    QCOMPARE(CheckComLine(com), result);
    QCOMPARE(statusText(), result ? QStringLiteral("Echo Check - Line Ok!")
                                  : QStringLiteral("read error - not sync byte 0xAA!"));
    QCOMPARE(pp[15], 0x0707);
}

void DeviceLink::repliesLongerThanTheBufferAreRefused() {
    // Far more bytes than the receive buffer holds: the read stops at the buffer, the rest
    // is thrown away, and neither counts as a firmware reply or a data block.
    m_sensor->connect();
    (*m_sensor)->setSilentOrders({7, 9});
    // The sensor answers by hand, all at once, once a request is in.
    platform::setTimerSource([this, answered = std::size_t{0}]() mutable {
        if ((*m_sensor)->receivedFrames().size() > answered) {
            ++answered;
            constexpr int kOversized = 3 * BUFFER_BYTES + FIRMWARE_BYTES;
            (*m_sensor)->sendRaw(std::vector<std::uint8_t>(kOversized, 0x41));
            // Each poll waits for input for a moment, so this is bounded.
            for (int polls = 0; polls < 5000 && GetInQLen(com) < kOversized; ++polls) {
            }
        }
        return 0.0;
    });
    std::fill(std::begin(yArrayA), std::end(yArrayA), 0xBEEF);
    CopyStatus("before");
    QVERIFY(GetVERSIONInfo() > FIRMWARE_BYTES);
    QVERIFY(nBytesR > FIRMWARE_BYTES && nBytesR <= BUFFER_BYTES);
    QCOMPARE(QByteArray(szVersion), QByteArray());
    QCOMPARE(statusText(), QStringLiteral("before"));
    QCOMPARE(ReadData64(0, 0), 0);
    QVERIFY(nBytesR > 128 && nBytesR <= BUFFER_BYTES);
    QCOMPARE(yArrayA[0], 0xBEEF);
    QCOMPARE(statusText(), QStringLiteral("before"));
}

void DeviceLink::dataBlockIsStoredByAddress() {
    InitRS232(com);
    std::fill(std::begin(yArrayA), std::end(yArrayA), 0xBEEF);
    QCOMPARE(ReadData64(64, 0x1234), 64);
    QCOMPARE(statusText(), QStringLiteral("Data[64] block received!"));
    const sim::Frame request = (*m_sensor)->receivedFrames().back();
    const sim::Frame expected{0x00, 0x55, 0x00, 0x09, 0x00, 0x40, 0x12, 0x34};
    QCOMPARE(request, expected);
    QCOMPARE(yArrayA[63], 0xBEEF);
    QCOMPARE(yArrayA[64], 64);
    QCOMPARE(yArrayA[127], 127);
    QCOMPARE(yArrayA[128], 0xBEEF);

    std::fill(std::begin(yArrayB), std::end(yArrayB), 0xBEEF);
    QCOMPARE(ReadData64(192, 0), 64);
    QCOMPARE(yArrayB[64], 192);
    QCOMPARE(yArrayB[0], 0xBEEF);

    // An address that selects nothing still counts as a block received.
    std::fill(std::begin(yArrayA), std::end(yArrayA), 0xBEEF);
    QCOMPARE(ReadData64(5, 0), 64);
    QVERIFY(std::all_of(std::begin(yArrayA), std::end(yArrayA),
                        [](unsigned short w) { return w == 0xBEEF; }));
}

void DeviceLink::dataBlockTimeoutClearsBothBuffers() {
    InitRS232(com);
    (*m_sensor)->setFault(Fault::Silent);
    std::fill(std::begin(yArrayA), std::end(yArrayA), 0xBEEF);
    std::fill(std::begin(yArrayB), std::end(yArrayB), 0xBEEF);
    QCOMPARE(ReadData64(0, 0), 0);
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232 while reading 64 data-words!"));
    QCOMPARE(yArrayA[127], 0);
    QCOMPARE(yArrayB[127], 0);
    QCOMPARE(yArrayA[128], 0xBEEF);
    QCOMPARE(yArrayB[255], 0xBEEF);
}

QTEST_MAIN(DeviceLink)
#include "tst_device_link.moc"
