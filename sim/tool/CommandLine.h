// The command line of nalvo-sim.
#pragma once

#include <sim/SimulatedSensor.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim::tool {

struct Options {
    LineTiming timing;
    Fault fault = Fault::None;
    // What follows each reply with Fault::ExtraBytes, when not the sensor's default.
    std::optional<std::vector<std::uint8_t>> extraBytes;
    std::chrono::milliseconds extraBytesAfter{0};
};

constexpr char kUsage[] = "usage: nalvo-sim [--baud N] [--turnaround-ms N] [--fault "
                          "none|silent|wrong-echo|short-firmware|late-reply|frame-in-pieces|"
                          "extra-bytes|late-cr|garbage]";

// The options, or nothing when the arguments (without the program's name) are not valid.
std::optional<Options> parseCommandLine(std::span<const char* const> arguments);

} // namespace sim::tool
