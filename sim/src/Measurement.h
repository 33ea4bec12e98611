// The sensor's live signals: they move with time so that the tool's displays and charts
// have something to show.
#pragma once

#include <sim/Frames.h>

#include <cstddef>

namespace sim {

// The measurement word that carries the normalised signal.
constexpr std::size_t kNormalisedWord = 4;

// The normalised signal around the reference in RAM; signed, as the sensor reports it.
int normalisedSignal(const Words& ram, double seconds);

// One measurement frame's words at the given time since start.
Words measurementWords(const Words& ram, double seconds);

} // namespace sim
