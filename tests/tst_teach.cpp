// The two teach commands against a simulated sensor that answers, stays silent, or answers
// the teach but not the read-back.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QSpinBox>
#include <QTest>

using namespace testing;
using sim::Words;

Q_DECLARE_METATYPE(std::set<int>)

namespace {

const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");

} // namespace

class Teach : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void teachSendsThePanelAndShowsTheNewReference();
    void buttonTeachSendsThePacketAsItStands();
    void outcomes_data();
    void outcomes();
    void leftClickOnlyAnnounces();
    void closingDuringATeachWaitsForIt();

private:
    // Runs a teach command with a clock that notes the status line at every reading.
    void teach(int button);

    std::unique_ptr<ToolWithSensor> m_tool;
    QStringList m_shown;
};

void Teach::init() {
    m_tool = std::make_unique<ToolWithSensor>();
    Words measurement{};
    measurement[4] = 640; // the normalised signal the sensor teaches as its reference
    (*m_tool)->setMeasurementOverride(measurement);
    m_tool->connect();
    m_shown.clear();
}

void Teach::cleanup() {
    m_tool.reset();
}

void Teach::teach(int button) {
    auto clock = quietClock(m_tool->sensor());
    platform::setTimerSource([this, clock] {
        m_shown << statusText();
        return clock();
    });
    clickControl(button);
    dispatchPending();
}

void Teach::teachSendsThePanelAndShowsTheNewReference() {
    typeInto(CTRL_REFERENCE, 300);
    teach(CTRL_TEACH);

    QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{6, 2}));
    QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames()[0])[2], 300);
    QVERIFY(m_shown.contains(QStringLiteral("New setpoint value teached!")));
    QCOMPARE(reference, 640);
    QCOMPARE(intValue(CTRL_REFERENCE), 640);
    QCOMPARE(statusText(), kFirmware);
}

void Teach::buttonTeachSendsThePacketAsItStands() {
    Words ram = (*m_tool)->ram();
    ram[13] = 1313;
    (*m_tool)->setRam(ram);
    PushGET(RAM);
    typeInto(CTRL_POWER0, 999);
    (*m_tool)->clearReceivedFrames();

    teach(CTRL_BUTTON_TEACH);

    QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{5, 2}));
    // The words of the last frame received, not the panel.
    QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames()[0]), ram);
    QCOMPARE(statusText(), kFirmware);
}

void Teach::outcomes_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<std::set<int>>("unanswered");
    QTest::addColumn<std::vector<int>>("orders");
    QTest::addColumn<QString>("status");
    QTest::newRow("teach, silent sensor")
        << CTRL_TEACH << std::set<int>{5, 6, 2} << std::vector<int>{6} << "Timeout RS-232!!";
    QTest::newRow("teach, read-back unanswered")
        << CTRL_TEACH << std::set<int>{2} << std::vector<int>{6, 2} << "Timeout RS-232!!";
    QTest::newRow("button teach, silent sensor")
        << CTRL_BUTTON_TEACH << std::set<int>{5, 6, 2} << std::vector<int>{5} << "Timeout RS-232!!";
    QTest::newRow("button teach, read-back unanswered")
        << CTRL_BUTTON_TEACH << std::set<int>{2} << std::vector<int>{5, 2} << "Timeout-RS-232...";
}

void Teach::outcomes() {
    QFETCH(int, button);
    QFETCH(std::set<int>, unanswered);
    QFETCH(std::vector<int>, orders);
    QFETCH(QString, status);
    (*m_tool)->setSilentOrders(unanswered);
    const unsigned short referenceBefore = reference;
    teach(button);
    QCOMPARE(ordersSent(m_tool->sensor()), orders);
    QCOMPARE(statusText(), status);
    QCOMPARE(reference, referenceBefore);
}

void Teach::leftClickOnlyAnnounces() {
    QTest::mousePress(control(CTRL_TEACH), Qt::LeftButton);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("Teach new Reference-Value ..."));
    QVERIFY(!(*m_tool)->waitForFrames(1, 100ms));
    QTest::mouseRelease(control(CTRL_TEACH), Qt::LeftButton);
    dispatchPending();
    QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{6, 2}));
}

void Teach::closingDuringATeachWaitsForIt() {
    (*m_tool)->setSilentOrders({6});
    bool closed = false;
    auto clock = quietClock(m_tool->sensor());
    platform::setTimerSource([&, clock] {
        if (!closed && !(*m_tool)->receivedFrames().empty()) {
            pressCloseBox();
            closed = true;
        }
        return clock();
    });
    clickControl(CTRL_TEACH);
    QCOMPARE(RunUserInterface(), 0);
    QVERIFY(closed);
    // The loop ended only after the teach had run into its time-out.
    QCOMPARE(statusText(), QStringLiteral("Timeout RS-232!!"));
}

QTEST_MAIN(Teach)
#include "tst_teach.moc"
