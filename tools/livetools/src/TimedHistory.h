// What one chart's traces were over the last minutes, time-stamped, with the frames that began
// each run: the source of the longer views and of the cursor's time. It takes every frame,
// whether the system drew it on this chart or on the other; the frames it drew are numbered,
// as the chart's own samples show them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace livetools {

class TimedHistory {
public:
    static constexpr std::size_t kMaxTraces = 5;
    // Ten minutes, and the frames ten minutes hold at the line's rate with room to spare, so
    // that a clock that stands still cannot grow it without bound.
    static constexpr double kKeepSeconds = 600.0;
    static constexpr std::size_t kMaxSamples = 20000;

    struct Sample {
        double time;
        std::array<double, kMaxTraces> values;
        // The frames drawn before this one; its own number when it was drawn.
        std::uint64_t frame;
        bool drawn;
    };
    struct RunStart {
        double time;
        std::uint64_t frame;
    };

    // Drops what falls out of the time kept. `drawn`: the system drew the frame on this chart.
    void append(double time, std::span<const double> values, bool drawn = true);
    // The next frame appended begins a run.
    void markRunStart() { m_runPending = true; }

    const std::deque<Sample>& samples() const { return m_samples; }
    const std::deque<RunStart>& runStarts() const { return m_runStarts; }
    // Frames drawn so far, the dropped ones included; frame n is the n-th drawn.
    std::uint64_t framesSeen() const { return m_framesSeen; }
    std::optional<double> timeOfFrame(std::uint64_t frame) const;
    // The first frame's time: zero on the longer views' time axis.
    double origin() const { return m_origin.value_or(0.0); }
    std::size_t memoryBytes() const;

private:
    std::deque<Sample> m_samples;
    std::deque<RunStart> m_runStarts;
    std::uint64_t m_framesSeen = 0;
    std::optional<double> m_origin;
    bool m_runPending = false;
};

} // namespace livetools
