// How long after a frame's bytes can all be there they usually are. The sender, its adapter
// and the driver deliver the last bytes somewhat after their line time; a rest that ends at the
// line time alone finds the frame incomplete and sleeps once more for the tail. Learnt from the
// rests before: raised at once to a lateness seen, lowered a little with each rest that found
// its frame complete, so that it follows the line and costs the frame little delay.
#pragma once

#include <chrono>

namespace platform {

class ArrivalAllowance {
public:
    using Duration = std::chrono::nanoseconds;

    // A frame later than this is not waited for in one rest: the rest ends at the line time.
    static constexpr Duration kLongest = std::chrono::milliseconds(20);

    Duration allowance() const { return m_allowance; }

    // A rest ended and found its frame complete.
    void foundComplete();
    // A rest ended before its frame was complete, which then came this long after its line
    // time.
    void completedLate(Duration late);

private:
    Duration m_allowance{0};
};

} // namespace platform
