// Get and Send against a simulated sensor's RAM and EEPROM, and the target radio buttons,
// driven through the real panel.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <Lamp.h>

#include <QSpinBox>
#include <QTest>

using namespace testing;
using sim::Fault;
using sim::Words;

namespace {

const Words kStored{1001, 901, 2000, 99, 3, 1, 7, 2, 6, 101, 701, 401, 12, 13, 14, 65535};

void click(int id) {
    clickControl(id);
    dispatchPending();
}

} // namespace

class ParameterTransfer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void getReadsTheTargetAndClampsWhatItShows_data();
    void getReadsTheTargetAndClampsWhatItShows();
    void getWithoutAnswerTimesOutAndRewritesThePanel();
    void sendWritesThePanelOnTheLeftClick_data();
    void sendWritesThePanelOnTheLeftClick();
    void transfersOnAClosedPortFail();
    void targetRadioButtonsStayInStep_data();
    void targetRadioButtonsStayInStep();

private:
    // The status texts shown while the tool waited, as read on each tick of its clock.
    QStringList m_shownWhileWaiting;
    std::unique_ptr<ToolWithSensor> m_sensor;
};

void ParameterTransfer::init() {
    m_sensor = std::make_unique<ToolWithSensor>();
    m_sensor->connect();
    m_shownWhileWaiting.clear();
}

void ParameterTransfer::cleanup() {
    m_sensor.reset();
}

void ParameterTransfer::getReadsTheTargetAndClampsWhatItShows_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("order");
    QTest::newRow("RAM") << CTRL_RAM << 2;
    QTest::newRow("EEPROM") << CTRL_EEPROM << 4;
}

void ParameterTransfer::getReadsTheTargetAndClampsWhatItShows() {
    QFETCH(int, button);
    QFETCH(int, order);
    if (button == CTRL_EEPROM) {
        (*m_sensor)->setEeprom(kStored);
        click(CTRL_EEPROM);
    } else {
        (*m_sensor)->setRam(kStored);
    }
    const QString before = statusText();
    inputs = 3;

    click(CTRL_GET);

    const auto frames = (*m_sensor)->receivedFrames();
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(sim::orderOf(frames[0]), order);
    // Out-of-range words are replaced in the variables as well as on the panel.
    QCOMPARE(power0, 500);
    QCOMPARE(power1, 901);
    QCOMPARE(reference, 512);
    QCOMPARE(tolerance, 99);
    QCOMPARE(hwMode, 3);
    QCOMPARE(evalMode, 2);
    QCOMPARE(average, 6);
    QCOMPARE(free15, 65535);
    QCOMPARE(intValue(CTRL_POWER0), 500);
    QCOMPARE(intValue(CTRL_REFERENCE), 512);
    QCOMPARE(intValue(CTRL_AVERAGE), 6);
    QCOMPARE(intValue(CTRL_EVAL_MODE), 2);
    QVERIFY(!control(CTRL_TOLERANCE)->isEnabled());
    QVERIFY(control<platform::Lamp>(CTRL_LAMP_BIT0)->isOn());
    // The read itself leaves the status text as it was.
    QCOMPARE(statusText(), before);
}

void ParameterTransfer::getWithoutAnswerTimesOutAndRewritesThePanel() {
    (*m_sensor)->setFault(Fault::Silent);
    platform::setTimerSource([this, quiet = std::make_shared<double>(0.0)] {
        m_shownWhileWaiting << statusText();
        return *quiet += 0.1;
    });
    typeInto(CTRL_POWER0, 777);
    inputs = 2;

    click(CTRL_GET);

    QVERIFY(m_shownWhileWaiting.contains(QStringLiteral("Waiting for parameter-frame ...")));
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    // The edit that was never sent gives way to the variable.
    QCOMPARE(intValue(CTRL_POWER0), int(power0));
    QVERIFY(!control<platform::Lamp>(CTRL_LAMP_BIT0)->isOn());
    QVERIFY(control<platform::Lamp>(CTRL_LAMP_BIT1)->isOn());
}

void ParameterTransfer::sendWritesThePanelOnTheLeftClick_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("order");
    QTest::newRow("RAM") << CTRL_RAM << 1;
    QTest::newRow("EEPROM") << CTRL_EEPROM << 3;
}

void ParameterTransfer::sendWritesThePanelOnTheLeftClick() {
    QFETCH(int, button);
    QFETCH(int, order);
    click(button);
    typeInto(CTRL_REFERENCE, 333);
    typeInto(CTRL_TEACH_THD, 1001);
    free13 = 4242;
    rx_flag = 5;

    // The press alone sends.
    QTest::mousePress(control(CTRL_SEND), Qt::LeftButton);
    dispatchPending();
    QVERIFY((*m_sensor)->waitForFrames(1, 5s));
    QTest::mouseRelease(control(CTRL_SEND), Qt::LeftButton);
    dispatchPending();

    const auto frames = (*m_sensor)->receivedFrames();
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(sim::orderOf(frames[0]), order);
    const Words sent = sim::decodeWords(frames[0]);
    QCOMPARE(sent[2], 333);
    QCOMPARE(sent[11], 1001);
    QCOMPARE(sent[13], 4242);
    QCOMPARE(order == 1 ? (*m_sensor)->ram() : (*m_sensor)->eeprom(), sent);
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
    // Nothing is awaited after a send.
    QCOMPARE(rx_flag, 5);
}

void ParameterTransfer::transfersOnAClosedPortFail() {
    CloseCom(com);
    platform::setTimerSource([this, now = std::make_shared<double>(0.0)] {
        m_shownWhileWaiting << statusText();
        return *now += 0.1;
    });
    click(CTRL_SEND);
    QCOMPARE(statusText(), QStringLiteral("Error writing para to RAM"));
    click(CTRL_GET);
    QVERIFY(!m_shownWhileWaiting.contains(QStringLiteral("Waiting for parameter-frame ...")));
    QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
}

void ParameterTransfer::targetRadioButtonsStayInStep_data() {
    QTest::addColumn<int>("from"); // the button selected first
    QTest::addColumn<int>("clicked");
    QTest::addColumn<int>("target");
    QTest::addColumn<QList<int>>("ramEepromFile");
    QTest::addColumn<int>("stopFlag");
    QTest::newRow("RAM again stays on") << CTRL_RAM << CTRL_RAM << RAM << QList<int>{1, 0, 0} << 0;
    QTest::newRow("EEPROM chosen") << CTRL_RAM << CTRL_EEPROM << EEPROM << QList<int>{0, 1, 0} << 1;
    QTest::newRow("File chosen") << CTRL_RAM << CTRL_FILE << DATFILE << QList<int>{0, 0, 1} << 0;
    QTest::newRow("File switched off") << CTRL_FILE << CTRL_FILE << RAM << QList<int>{1, 0, 0} << 0;
    QTest::newRow("EEPROM switched off")
        << CTRL_EEPROM << CTRL_EEPROM << RAM << QList<int>{1, 0, 0} << 0;
    QTest::newRow("RAM chosen from File")
        << CTRL_FILE << CTRL_RAM << RAM << QList<int>{1, 0, 0} << 0;
    QTest::newRow("EEPROM chosen from File")
        << CTRL_FILE << CTRL_EEPROM << EEPROM << QList<int>{0, 1, 0} << 1;
}

void ParameterTransfer::targetRadioButtonsStayInStep() {
    QFETCH(int, from);
    QFETCH(int, clicked);
    QFETCH(int, target);
    QFETCH(QList<int>, ramEepromFile);
    QFETCH(int, stopFlag);
    if (from != CTRL_RAM)
        click(from);
    stop_flag = 0;
    click(clicked);
    QCOMPARE(::target, target);
    QCOMPARE((QList<int>{intValue(CTRL_RAM), intValue(CTRL_EEPROM), intValue(CTRL_FILE)}),
             ramEepromFile);
    QCOMPARE(stop_flag, stopFlag);
}

QTEST_MAIN(ParameterTransfer)
#include "tst_parameter_transfer.moc"
