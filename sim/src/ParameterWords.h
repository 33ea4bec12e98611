// Where the parameters the sensor itself uses sit in its 16-word parameter set:
// 0 power0, 1 power1, 2 reference, 3 tolerance, 4 hwMode, 5 polarity, 6 anaMode, 7 evalMode,
// 8 average, 9 teachAB, 10 teachCD, 11 teachTHD, 12-15 free.
#pragma once

#include <sim/Frames.h>

#include <cstddef>

namespace sim::param {

constexpr std::size_t kPower0 = 0;
constexpr std::size_t kPower1 = 1;
constexpr std::size_t kReference = 2;
constexpr std::size_t kTeachAB = 9;
constexpr std::size_t kTeachCD = 10;
constexpr std::size_t kTeachTHD = 11;

// What a sensor holds in RAM and EEPROM when it leaves the factory.
constexpr Words kFactorySet{500, 500, 512, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0};

} // namespace sim::param
