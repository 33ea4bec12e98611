#include "Measurement.h"

#include "ParameterWords.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace sim {

namespace {

constexpr double kRawCentre = 500.0;
constexpr double kRawSwing = 300.0;
constexpr double kRawFrequency = 0.5;
constexpr double kNormalisedSwing = 150.0;
constexpr double kNormalisedFrequency = 0.2;
constexpr double kWobble = 2.0;
constexpr double kWobbleFrequency = 0.3;
constexpr std::uint16_t kReportedTolerance = 30;
constexpr std::size_t kRawSignals = 4;
constexpr std::size_t kFirstLiveWord = 5;
constexpr std::size_t kLampWord = 10;
constexpr std::size_t kToleranceWord = 11;
constexpr std::array kLiveParameters{param::kPower0, param::kPower1, param::kTeachAB,
                                     param::kTeachCD, param::kTeachTHD};

double wave(double frequency, double seconds, double phase) {
    return std::sin(2.0 * std::numbers::pi * frequency * seconds + phase);
}

std::uint16_t clampToWord(double value) {
    return static_cast<std::uint16_t>(
        std::clamp(std::lround(value), 0L, long{std::numeric_limits<std::uint16_t>::max()}));
}

} // namespace

int normalisedSignal(const Words& ram, double seconds) {
    return static_cast<int>(std::lround(
        ram[param::kReference] + kNormalisedSwing * wave(kNormalisedFrequency, seconds, 0.0)));
}

Words measurementWords(const Words& ram, double seconds) {
    Words words{};
    for (std::size_t k = 0; k < kRawSignals; ++k) {
        const double phase = static_cast<double>(k) * std::numbers::pi / 2.0;
        words[k] = clampToWord(kRawCentre + kRawSwing * wave(kRawFrequency, seconds, phase));
    }
    // Two's complement of the signed value, as the sensor puts it on the line.
    const int normalised =
        std::clamp(normalisedSignal(ram, seconds), int{std::numeric_limits<std::int16_t>::min()},
                   int{std::numeric_limits<std::int16_t>::max()});
    words[kNormalisedWord] = static_cast<std::uint16_t>(normalised);
    for (std::size_t i = 0; i < kLiveParameters.size(); ++i) {
        const double wobble = kWobble * wave(kWobbleFrequency, seconds, static_cast<double>(i));
        words[kFirstLiveWord + i] = clampToWord(ram[kLiveParameters[i]] + wobble);
    }
    // Both lamps change once a second, running through all four combinations.
    words[kLampWord] = static_cast<std::uint16_t>(static_cast<long>(seconds) & 0x3);
    words[kToleranceWord] = kReportedTolerance;
    return words;
}

} // namespace sim
