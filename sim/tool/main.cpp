// nalvo-sim: a simulated sensor on a pseudo-terminal. Prints the device to open as its
// first line and serves until SIGINT or SIGTERM; SIGUSR1 starts or ends a flood of bytes, as
// from a device that ignores the baud rate; SIGUSR2 prints the requests received so far, one
// a line (the order, then the sixteen words), and an empty line after them.
#include "CommandLine.h"

#include <sim/Frames.h>
#include <sim/SimulatedSensor.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <span>

#include <pthread.h>

namespace {

constexpr int kBadArguments = 2;

void printRequests(const sim::SimulatedSensor& sensor) {
    for (const sim::Frame& frame : sensor.receivedFrames()) {
        std::cout << sim::orderOf(frame);
        for (const std::uint16_t word : sim::decodeWords(frame))
            std::cout << ' ' << word;
        std::cout << '\n';
    }
    std::cout << std::endl;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::span<const char* const> all(argv, static_cast<std::size_t>(argc));
    const auto options = sim::tool::parseCommandLine(all.subspan(1));
    if (!options) {
        std::cerr << sim::tool::kUsage << '\n';
        return kBadArguments;
    }

    // Blocked before the sensor's thread exists, so that it inherits the mask and the
    // signals are left for sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    sim::SimulatedSensor sensor(options->timing);
    sensor.setFault(options->fault);
    if (options->extraBytes)
        sensor.setExtraBytes(*options->extraBytes, options->extraBytesAfter);
    if (!sensor.start()) {
        std::cerr << "nalvo-sim: cannot open a pseudo-terminal\n";
        return EXIT_FAILURE;
    }
    std::cout << sensor.devicePath() << std::endl;

    bool flooding = false;
    for (int received = 0;
         sigwait(&signals, &received) == 0 && (received == SIGUSR1 || received == SIGUSR2);) {
        if (received == SIGUSR2) {
            printRequests(sensor);
            continue;
        }
        flooding = !flooding;
        sensor.setFlood(flooding);
    }
    return EXIT_SUCCESS;
}
