#include "SensorLink.h"

#include "PanelDriver.h"

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>

#include <QElapsedTimer>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <cstdlib>
#include <memory>
#include <utility>

namespace testing {

ToolWithSensor::ToolWithSensor(const std::function<void()>& attachTools) {
    restart();
    startTool(attachTools);
    useClock(m_sensor);
}

ToolWithSensor::~ToolWithSensor() {
    CloseCom(com);
    DiscardPanel(panelHandle);
}

void ToolWithSensor::connect() {
    InitRS232(com);
    m_sensor.clearReceivedFrames();
}

void ToolWithSensor::restart() {
    if (!m_sensor.start())
        qFatal("the simulated sensor does not start");
    setenv("NALVO_COM1", m_sensor.devicePath().c_str(), 1);
}

void ToolWithSensor::run(const std::function<void()>& during,
                         const std::function<double()>& clock) {
    platform::setTimerSource([during, clock] {
        during();
        return clock ? clock() : 0.0;
    });
    click(CTRL_RUN);
    // The run's last request may still be on its way, or flushed away before it arrived.
    QVERIFY(m_sensor.waitForRequestsIn(std::chrono::seconds(5)));
}

void ToolWithSensor::runFor(std::size_t more, const std::function<double()>& clock) {
    const std::size_t stopAt = requests() + more;
    run(
        [this, stopAt, stopped = false]() mutable {
            if (requests() >= stopAt && !std::exchange(stopped, true))
                click(CTRL_STOP, false);
        },
        clock);
}

void ToolWithSensor::runLiveViewShowing(std::uint16_t power0, std::uint16_t threshold) {
    // Live words 5 to 9 show Power 0, Power 1, Teach A/B, C/D and threshold.
    sim::Words live = m_sensor.ram();
    live[5] = power0;
    live[6] = live[1];
    live[7] = live[9];
    live[8] = live[10];
    live[9] = threshold;
    m_sensor.setMeasurementOverride(live);
    run([power0] {
        if (shown(CTRL_POWER0) == power0)
            click(CTRL_STOP, false);
    });
    m_sensor.setMeasurementOverride(std::nullopt);
    useClock(m_sensor);
}

std::vector<int> ordersSent(const sim::SimulatedSensor& sensor) {
    std::vector<int> orders;
    for (const sim::Frame& frame : sensor.receivedFrames())
        orders.push_back(sim::orderOf(frame));
    return orders;
}

void useClock(const sim::SimulatedSensor& sensor, std::size_t requests, double step) {
    const std::size_t runsFrom = sensor.receivedFrames().size() + requests;
    auto now = std::make_shared<double>(1000.0);
    auto bound = std::make_shared<QElapsedTimer>();
    bound->start();
    platform::setTimerSource([&sensor, runsFrom, step, now, bound] {
        // A wait that never ends is the test's fault; run out of time rather than hang.
        if (bound->elapsed() > 30000 || sensor.receivedFrames().size() >= runsFrom)
            *now += step;
        return *now;
    });
}

void useClockOnceReplied(const sim::SimulatedSensor& sensor, std::size_t replies) {
    const std::size_t from = sensor.repliesSent() + replies;
    platform::setTimerSource([&sensor, from, now = 1000.0]() mutable {
        return now += sensor.repliesSent() >= from ? 0.125 : 0.0;
    });
}

namespace {
// The parameter controls in packet order, then the free words.
constexpr int kControls[] = {CTRL_POWER0,  CTRL_POWER1,   CTRL_REFERENCE, CTRL_TOLERANCE,
                             CTRL_HW_MODE, CTRL_POLARITY, CTRL_ANA_MODE,  CTRL_EVAL_MODE,
                             CTRL_AVERAGE, CTRL_TEACH_AB, CTRL_TEACH_CD,  CTRL_TEACH_THD};
const std::array kFreeWords{&free12, &free13, &free14, &free15};
} // namespace

sim::Words shownWords() {
    sim::Words words{};
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        words[i] = static_cast<std::uint16_t>(shown(kControls[i]));
    for (std::size_t i = 0; i < kFreeWords.size(); ++i)
        words[std::size(kControls) + i] = *kFreeWords[i];
    return words;
}

void showWords(const sim::Words& words) {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        SetCtrlVal(panelHandle, kControls[i], words[i]);
    for (std::size_t i = 0; i < kFreeWords.size(); ++i)
        *kFreeWords[i] = words[std::size(kControls) + i];
}

} // namespace testing

template <>
char* QTest::toString(const sim::Words& words) {
    QStringList parts;
    for (const std::uint16_t word : words)
        parts << QString::number(word);
    return qstrdup(qPrintable(parts.join(QLatin1Char(' '))));
}
