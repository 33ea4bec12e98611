#include "SensorLink.h"

#include "PanelDriver.h"

#include <com232/com232.h>
#include <platform/overrides.h>
#include <platform/serial.h>

#include <QElapsedTimer>
#include <QtGlobal>

#include <cstdlib>

namespace testing {

SensorOnPort::SensorOnPort(sim::LineTiming timing, int port) : m_sensor(timing), m_port(port) {
    if (!m_sensor.start())
        qFatal("the simulated sensor does not start");
    mapPort();
}

SensorOnPort::~SensorOnPort() {
    useSteadyClock();
}

void SensorOnPort::restart() {
    if (!m_sensor.start())
        qFatal("the simulated sensor does not start again");
    mapPort();
}

void SensorOnPort::mapPort() {
    const std::string variable = "NALVO_COM" + std::to_string(m_port);
    setenv(variable.c_str(), m_sensor.devicePath().c_str(), 1);
}

ToolWithSensor::ToolWithSensor(sim::LineTiming timing) : m_sensor(timing) {
    startMainPanel();
    useQuietClock(m_sensor.sensor());
}

ToolWithSensor::~ToolWithSensor() {
    CloseCom(com);
    discardMainPanel();
}

void ToolWithSensor::connect() {
    InitRS232(com);
    m_sensor->clearReceivedFrames();
}

std::vector<int> ordersSent(const sim::SimulatedSensor& sensor) {
    std::vector<int> orders;
    for (const sim::Frame& frame : sensor.receivedFrames())
        orders.push_back(sim::orderOf(frame));
    return orders;
}

void useQuietClock(const sim::SimulatedSensor& sensor, double step) {
    platform::setTimerSource(quietClock(sensor, step));
}

std::function<double()> quietClock(const sim::SimulatedSensor& sensor, double step) {
    auto now = std::make_shared<double>(1000.0);
    auto noisy = std::make_shared<QElapsedTimer>();
    return [&sensor, step, now, noisy] {
        // Nothing arrives on a port that is not open, nor from a sensor that has had all.
        const auto written = platform::comBytesWritten(com);
        if (!written || sensor.quiet(*written)) {
            noisy->invalidate();
            return *now += step;
        }
        // A line that never goes quiet is a fault of the test; let time run rather than hang.
        if (!noisy->isValid())
            noisy->start();
        else if (noisy->elapsed() > 5000)
            return *now += step;
        return *now;
    };
}

void useScriptedClock(std::vector<double> readings) {
    auto next = std::make_shared<size_t>(0);
    platform::setTimerSource([readings = std::move(readings), next] {
        const double value = readings[std::min(*next, readings.size() - 1)];
        ++*next;
        return value;
    });
}

void useSteadyClock() {
    platform::setTimerSource({});
}

} // namespace testing
