#include "TimedHistory.h"

#include <algorithm>
#include <utility>

namespace livetools {

void TimedHistory::append(double time, std::span<const double> values, bool drawn) {
    Sample sample{time, {}, m_framesSeen, drawn};
    std::copy_n(values.begin(), std::min(values.size(), kMaxTraces), sample.values.begin());
    if (!m_origin)
        m_origin = time;
    if (std::exchange(m_runPending, false))
        m_runStarts.push_back({time, m_framesSeen});
    m_samples.push_back(sample);
    if (drawn)
        ++m_framesSeen;
    while (m_samples.size() > kMaxSamples || m_samples.front().time < time - kKeepSeconds)
        m_samples.pop_front();
    const std::uint64_t oldest = m_samples.front().frame;
    while (!m_runStarts.empty() && m_runStarts.front().frame < oldest)
        m_runStarts.pop_front();
}

std::optional<double> TimedHistory::timeOfFrame(std::uint64_t frame) const {
    auto at = std::partition_point(m_samples.begin(), m_samples.end(),
                                   [frame](const Sample& sample) { return sample.frame < frame; });
    while (at != m_samples.end() && at->frame == frame && !at->drawn)
        ++at;
    if (at == m_samples.end() || at->frame != frame)
        return std::nullopt;
    return at->time;
}

std::size_t TimedHistory::memoryBytes() const {
    return m_samples.size() * sizeof(Sample) + m_runStarts.size() * sizeof(RunStart);
}

} // namespace livetools
