// The tool's main panel with a simulated sensor on a real pseudo-terminal behind port 1,
// paced as a 19200-baud line, and a clock that makes every time-out exact and instant.
#pragma once

#include "PanelDriver.h"

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <sim/SimulatedSensor.h>

#include <QString>
#include <QTest>

#include <cstddef>
#include <limits>
#include <vector>

namespace testing {

class ToolWithSensor {
public:
    // The tool as it stands before its device start-up step, on a clock that stands still.
    explicit ToolWithSensor(const std::function<void()>& attachTools = {});
    ~ToolWithSensor();
    ToolWithSensor(const ToolWithSensor&) = delete;
    ToolWithSensor& operator=(const ToolWithSensor&) = delete;

    sim::SimulatedSensor& sensor() { return m_sensor; }
    sim::SimulatedSensor* operator->() { return &m_sensor; }
    // The device start-up step; the sensor forgets the requests it brought.
    void connect();
    // Starts the sensor again on a new device, which port 1 then stands for.
    void restart();

    // The requests the sensor has received.
    std::size_t requests() const { return m_sensor.receivedFrames().size(); }
    // Clicks Run; `during` runs at each reading of the clock, once a pass of the loop, and may
    // act as the operator does. Timer() reads `clock`, 0 without one. Returns when the run has
    // ended.
    void run(const std::function<void()>& during, const std::function<double()>& clock = {});
    // A run that is stopped once the sensor has had this many more requests.
    void runFor(std::size_t more, const std::function<double()>& clock = {});
    // A run whose measurements show these values for Power 0 and the teach threshold, and the
    // RAM's for Power 1 and Teach A/B and C/D, stopped once Power 0 shows it; then the clock
    // stands still again.
    void runLiveViewShowing(std::uint16_t power0, std::uint16_t threshold);

private:
    sim::SimulatedSensor m_sensor;
};

// The order codes of the requests the sensor has received, in order.
std::vector<int> ordersSent(const sim::SimulatedSensor& sensor);

// Timer() stands still, so that every wait that gets its reply sees no time pass. Once the
// sensor has received `requests` more requests, it moves on by `step` at every reading, so
// that a wait without a reply reaches its time-out at once, and to the exact step.
void useClock(const sim::SimulatedSensor& sensor,
              std::size_t requests = std::numeric_limits<std::size_t>::max(), double step = 0.125);

// Timer() stands until the sensor has given this many more replies (whole, or as much of them
// as a fault lets go out), then steps 0.125 s at every reading.
void useClockOnceReplied(const sim::SimulatedSensor& sensor, std::size_t replies);

// The parameter set as the panel shows it, in packet order (free words as held), and the
// operator's way of putting one there (free words into their variables).
sim::Words shownWords();
void showWords(const sim::Words& words);

} // namespace testing

namespace QTest {
// For failure messages.
template <>
char* toString(const sim::Words& words);
} // namespace QTest
