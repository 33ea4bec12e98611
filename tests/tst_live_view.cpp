// The live view through the real panel against a simulated sensor: Run until Stop, the close
// box, the EEPROM target or a silent line; the exact time-out; what is dimmed meanwhile.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <StripChart.h>

#include <QElapsedTimer>
#include <QTest>

using namespace testing;
using sim::Fault;
using sim::Words;

namespace {

const Words kMeasurement{101, 202, 303, 404, 505, 606, 707, 808, 909, 999, 3, 30, 0, 0, 0, 0};

// The controls a run may dim, by id.
const std::vector<int> kCommandControls{CTRL_TEACH,        CTRL_PORT, CTRL_SEND, CTRL_GET,
                                        CTRL_BUTTON_TEACH, CTRL_RUN,  CTRL_STOP};

std::vector<int> dimmedControls() {
    std::vector<int> dimmed;
    for (const int id : kCommandControls)
        if (!control(id)->isEnabled())
            dimmed.push_back(id);
    return dimmed;
}

} // namespace

class LiveView : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runShowsFramesUntilStop();
    void closeBoxEndsTheRunThenTheLoop();
    void choosingEepromEndsTheRun();
    void silentLineEndsTheRun();
    void exactlyTwoSecondsIsNoTimeout_data();
    void exactlyTwoSecondsIsNoTimeout();
    void steadyRepliesNeverTimeOut();
    void getIsRefusedWhileRunning();
    void getClickedBeforeTheRunBeganIsRefused();
    void chartCanBeSwitchedWhileRunning();
    void nextRunContinuesTheHistory();

private:
    // Clicks Run; `during` runs at each reading of the clock, once a pass of the loop, and
    // may act as the operator does. Returns when the run has ended.
    void run(std::function<double()> clock, std::function<void()> during);
    // Clicks Stop once the sensor has had this many requests since the connect.
    void stopAfterReplies(std::size_t replies);
    std::size_t requests() { return (*m_tool)->receivedFrames().size(); }

    std::unique_ptr<ToolWithSensor> m_tool;
    bool m_overran = false;
};

void LiveView::init() {
    std::fill(std::begin(arrayRAW), std::end(arrayRAW), 0.0);
    m_tool = std::make_unique<ToolWithSensor>();
    (*m_tool)->setMeasurementOverride(kMeasurement);
    m_tool->connect();
    m_overran = false;
}

void LiveView::cleanup() {
    QVERIFY2(!m_overran, "the run did not end");
    m_tool.reset();
}

void LiveView::run(std::function<double()> clock, std::function<void()> during) {
    auto bound = std::make_shared<QElapsedTimer>();
    bound->start();
    platform::setTimerSource([this, clock, during, bound] {
        if (bound->elapsed() > 20000) {
            m_overran = true;
            stop_flag = 1;
        }
        during();
        return clock();
    });
    clickControl(CTRL_RUN);
    dispatchPending();
}

void LiveView::stopAfterReplies(std::size_t replies) {
    run(quietClock(m_tool->sensor()), [this, replies, clicked = false]() mutable {
        if (!clicked && requests() >= replies) {
            clickControl(CTRL_STOP);
            clicked = true;
        }
    });
}

void LiveView::runShowsFramesUntilStop() {
    SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
    std::vector<int> dimmedWhileRunning;
    const unsigned short power0Before = power0;
    run(quietClock(m_tool->sensor()), [&, clicked = false]() mutable {
        if (!clicked && requests() >= 5) {
            dimmedWhileRunning = dimmedControls();
            clickControl(CTRL_STOP);
            clicked = true;
        }
    });

    const auto orders = ordersSent(m_tool->sensor());
    QVERIFY(orders.size() >= 5);
    QVERIFY(std::all_of(orders.begin(), orders.end(), [](int o) { return o == 8; }));
    // Every request carries the parameter set, not the last measurement.
    QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames().back())[0], power0Before);
    QCOMPARE(dimmedWhileRunning, (std::vector<int>{CTRL_TEACH, CTRL_PORT, CTRL_SEND, CTRL_GET,
                                                   CTRL_BUTTON_TEACH, CTRL_RUN}));
    QCOMPARE(dimmedControls(), std::vector<int>{});
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
    QVERIFY(control(CTRL_RUN_HINT)->isHidden());
    QCOMPARE(intValue(CTRL_RAM), 1);
    QCOMPARE(intValue(CTRL_EEPROM), 0);
    QCOMPARE(target, RAM);
    QCOMPARE(intValue(CTRL_RAW_1), 101);
    QCOMPARE(intValue(CTRL_TEACH_THD), 999);
    QCOMPARE(power0, power0Before);
    QCOMPARE(control<platform::StripChart>(CTRL_RAW_CHART)->tracePoints(4).back(), 999.0);
    QCOMPARE(rx_flag, 0);
    QCOMPARE(graphrefresh, 0);
}

void LiveView::closeBoxEndsTheRunThenTheLoop() {
    bool closed = false;
    auto clock = quietClock(m_tool->sensor());
    platform::setTimerSource([&, clock] {
        if (!closed && requests() >= 3) {
            pressCloseBox();
            closed = true;
        }
        return clock();
    });
    clickControl(CTRL_RUN);
    QCOMPARE(RunUserInterface(), 0);
    QVERIFY(closed);
    QCOMPARE(stop_flag, 1);
    // The run tidied up before the loop ended.
    QVERIFY(control(CTRL_RUN)->isEnabled());
    QVERIFY(control(CTRL_GET)->isEnabled());
    QCOMPARE(rx_flag, 0);
}

void LiveView::choosingEepromEndsTheRun() {
    run(quietClock(m_tool->sensor()), [this, clicked = false]() mutable {
        if (!clicked && requests() >= 3) {
            clickControl(CTRL_EEPROM);
            clicked = true;
        }
    });
    QCOMPARE(target, EEPROM);
    QCOMPARE(intValue(CTRL_EEPROM), 1);
    QCOMPARE(intValue(CTRL_RAM), 0);
    QVERIFY(control(CTRL_RUN)->isEnabled());
}

void LiveView::silentLineEndsTheRun() {
    (*m_tool)->setFault(Fault::Silent);
    run(quietClock(m_tool->sensor()), [] {});
    QCOMPARE(statusText(), QStringLiteral("Timeout RS232-Line!"));
    QCOMPARE(stop_flag, 1);
    // Send waits for the operator's Stop; the rest is back.
    QCOMPARE(dimmedControls(), std::vector<int>{CTRL_SEND});
    clickControl(CTRL_STOP);
    dispatchPending();
    QCOMPARE(dimmedControls(), std::vector<int>{});
    QCOMPARE(statusText(), QStringLiteral("Timeout RS232-Line!"));
}

void LiveView::exactlyTwoSecondsIsNoTimeout_data() {
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<QString>("status");
    QTest::newRow("2.0 s") << 2.0 << "Line Ok!";
    QTest::newRow("just over 2.0 s") << std::nextafter(2.0, 3.0) << "Timeout RS232-Line!";
}

void LiveView::exactlyTwoSecondsIsNoTimeout() {
    QFETCH(double, elapsed);
    QFETCH(QString, status);
    (*m_tool)->setFault(Fault::Silent);
    int readings = 0;
    // The request goes out at 0.0; every later reading finds the given time gone by.
    run([&readings, elapsed] { return readings == 1 ? 0.0 : elapsed; },
        [&readings] {
            if (++readings == 30)
                clickControl(CTRL_STOP);
        });
    QCOMPARE(statusText(), status);
}

void LiveView::steadyRepliesNeverTimeOut() {
    // Each request comes 1.9 s after the one before.
    double now = 0.0;
    run([&] { return now = 1000.0 + 1.9 * static_cast<double>(requests()); },
        [this, clicked = false]() mutable {
            if (!clicked && requests() >= 200) {
                clickControl(CTRL_STOP);
                clicked = true;
            }
        });
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
    // Far more time passed than any one wait may take.
    QVERIFY2(now - 1000.0 > 20.0, qPrintable(QString::number(now)));
}

void LiveView::getIsRefusedWhileRunning() {
    run(quietClock(m_tool->sensor()), [this, step = 0]() mutable {
        const std::size_t replies = requests();
        if (step == 0 && replies >= 2) {
            clickControl(CTRL_GET);
            ++step;
        } else if (step == 1 && replies >= 6) {
            clickControl(CTRL_STOP);
            ++step;
        }
    });
    const auto orders = ordersSent(m_tool->sensor());
    QVERIFY(std::all_of(orders.begin(), orders.end(), [](int o) { return o == 8; }));
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
}

void LiveView::getClickedBeforeTheRunBeganIsRefused() {
    // Both clicks wait for the same dispatch: by the time Get's turn comes, Run has dimmed it.
    auto clock = quietClock(m_tool->sensor());
    platform::setTimerSource([this, clock, clicked = false]() mutable {
        if (!clicked && requests() >= 4) {
            clickControl(CTRL_STOP);
            clicked = true;
        }
        return clock();
    });
    clickControl(CTRL_RUN);
    clickControl(CTRL_GET);
    dispatchPending();
    const auto orders = ordersSent(m_tool->sensor());
    QVERIFY(orders.size() >= 4);
    QVERIFY(std::all_of(orders.begin(), orders.end(), [](int o) { return o == 8; }));
    QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
}

void LiveView::chartCanBeSwitchedWhileRunning() {
    std::size_t switchedAt = 0;
    run(quietClock(m_tool->sensor()), [&, step = 0]() mutable {
        const std::size_t replies = requests();
        if (step == 0 && replies >= 3) {
            chooseItem(CTRL_SIGNAL_TYPE, 1);
            switchedAt = replies;
            ++step;
        } else if (step == 1 && replies >= switchedAt + 4) {
            clickControl(CTRL_STOP);
            ++step;
        }
    });
    QVERIFY(control(CTRL_NORM_CHART)->isVisible());
    QVERIFY(control(CTRL_RAW_CHART)->isHidden());
    const auto norm = control<platform::StripChart>(CTRL_NORM_CHART)->tracePoints(3);
    QCOMPARE(norm.back(), 505.0);
    QVERIFY(norm[norm.size() - 3] == 505.0);
    const auto raw = control<platform::StripChart>(CTRL_RAW_CHART)->tracePoints(0);
    QVERIFY(std::count(raw.begin(), raw.end(), 101.0) < 8);

    // A run with the normalised chart chosen shows the raw chart too, and draws on the
    // normalised one, which lies in front of it.
    stopAfterReplies(requests() + 3);
    QVERIFY(control(CTRL_RAW_CHART)->isVisible());
    QVERIFY(control(CTRL_NORM_CHART)->isVisible());
    QVERIFY(panelWidget()->childAt(control(CTRL_RAW_CHART)->geometry().center() +
                                   control(CTRL_RAW_CHART)->parentWidget()->pos()) !=
            control(CTRL_RAW_CHART));
}

void LiveView::nextRunContinuesTheHistory() {
    stopAfterReplies(4);
    const int first = static_cast<int>(std::count(std::begin(arrayRAW), std::end(arrayRAW), 101.0));
    Words second = kMeasurement;
    second[0] = 111;
    (*m_tool)->setMeasurementOverride(second);
    stopAfterReplies(requests() + 4);
    const auto trace = control<platform::StripChart>(CTRL_RAW_CHART)->tracePoints(0);
    const int later = static_cast<int>(std::count(trace.begin(), trace.end(), 111.0));
    QVERIFY(later >= 2);
    QCOMPARE(trace.back(), 111.0);
    QCOMPARE(static_cast<int>(std::count(trace.begin(), trace.end(), 101.0)), first);
    QCOMPARE(trace[static_cast<size_t>(HISTORY - later - 1)], 101.0);
}

QTEST_MAIN(LiveView)
#include "tst_live_view.moc"
