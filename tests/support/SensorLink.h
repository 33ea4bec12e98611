// A simulated sensor on a real pseudo-terminal behind one of the tool's ports, and clocks
// that make the tool's time-outs exact without waiting for them.
#pragma once

#include <sim/SimulatedSensor.h>

#include <functional>
#include <memory>
#include <vector>

namespace testing {

// Replies come at once, so that tests spend no real time on the line.
inline constexpr sim::LineTiming kFastLine{19200, std::chrono::microseconds(0), true};

class SensorOnPort {
public:
    explicit SensorOnPort(sim::LineTiming timing = kFastLine, int port = 1);
    ~SensorOnPort();
    SensorOnPort(const SensorOnPort&) = delete;
    SensorOnPort& operator=(const SensorOnPort&) = delete;

    sim::SimulatedSensor* operator->() { return &m_sensor; }
    sim::SimulatedSensor& sensor() { return m_sensor; }
    // Starts the sensor again after stop(), on a new device that the port then stands for.
    void restart();

private:
    void mapPort();

    sim::SimulatedSensor m_sensor;
    int m_port;
};

// The tool's main panel with a simulated sensor on port 1 and the quiet clock below, as the
// tool stands before its device start-up step.
class ToolWithSensor {
public:
    explicit ToolWithSensor(sim::LineTiming timing = kFastLine);
    ~ToolWithSensor();
    ToolWithSensor(const ToolWithSensor&) = delete;
    ToolWithSensor& operator=(const ToolWithSensor&) = delete;

    SensorOnPort& port() { return m_sensor; }
    sim::SimulatedSensor& sensor() { return m_sensor.sensor(); }
    sim::SimulatedSensor* operator->() { return &m_sensor.sensor(); }
    // The device start-up step; the sensor forgets the requests it brought.
    void connect();

private:
    SensorOnPort m_sensor;
};

// The order codes of the requests the sensor has received, in order.
std::vector<int> ordersSent(const sim::SimulatedSensor& sensor);

// A clock that stands still while the sensor may still answer, and moves on by step at each
// reading once the sensor is quiet. Waits that end in a reply never see time pass; waits
// that can only end in a time-out reach it at once.
std::function<double()> quietClock(const sim::SimulatedSensor& sensor, double step = 0.25);
void useQuietClock(const sim::SimulatedSensor& sensor, double step = 0.25);
// Timer() returns the readings in order, then the last one for ever.
void useScriptedClock(std::vector<double> readings);
void useSteadyClock();

} // namespace testing
