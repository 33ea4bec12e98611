#include "TimedHistory.h"

#include <algorithm>
#include <utility>

namespace livetools {

void TimedHistory::append(double time, std::span<const double> values) {
    Sample sample{time, {}};
    std::copy_n(values.begin(), std::min(values.size(), kMaxTraces), sample.values.begin());
    if (!m_origin)
        m_origin = time;
    if (std::exchange(m_runPending, false))
        m_runStarts.push_back({time, m_framesSeen});
    m_samples.push_back(sample);
    ++m_framesSeen;
    while (m_samples.size() > kMaxSamples || m_samples.front().time < time - kKeepSeconds)
        m_samples.pop_front();
    const std::uint64_t oldest = m_framesSeen - m_samples.size();
    while (!m_runStarts.empty() && m_runStarts.front().frame < oldest)
        m_runStarts.pop_front();
}

std::optional<double> TimedHistory::timeOfFrame(std::uint64_t frame) const {
    const std::uint64_t oldest = m_framesSeen - m_samples.size();
    if (frame < oldest || frame >= m_framesSeen)
        return std::nullopt;
    return m_samples[frame - oldest].time;
}

std::size_t TimedHistory::memoryBytes() const {
    return m_samples.size() * sizeof(Sample) + m_runStarts.size() * sizeof(RunStart);
}

} // namespace livetools
