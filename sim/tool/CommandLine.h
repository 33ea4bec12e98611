// The command line of nalvo-sim.
#pragma once

#include <sim/SimulatedSensor.h>

#include <optional>
#include <span>

namespace sim::tool {

struct Options {
    LineTiming timing;
    Fault fault = Fault::None;
};

constexpr char kUsage[] = "usage: nalvo-sim [--baud N] [--turnaround-ms N] [--fault "
                          "none|silent|wrong-echo|short-firmware|late-reply|frame-in-pieces|"
                          "extra-bytes|garbage]";

// The options, or nothing when the arguments (without the program's name) are not valid.
std::optional<Options> parseCommandLine(std::span<const char* const> arguments);

} // namespace sim::tool
