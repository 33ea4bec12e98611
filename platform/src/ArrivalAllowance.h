// How long after a frame's bytes can all be there they usually are. The sender, its adapter
// and the driver deliver the last bytes somewhat after their line time; a rest that ends at the
// line time alone finds the frame incomplete and sleeps once more for the tail. Learnt from the
// rests before, so that three in four find their frame complete: the frames are seldom woken
// for twice, and the median frame is handled as soon as it would have been without a rest.
#pragma once

#include <chrono>

namespace platform {

class ArrivalAllowance {
public:
    using Duration = std::chrono::nanoseconds;

    // A frame later than this is not waited for in one rest.
    static constexpr Duration kLongest = std::chrono::milliseconds(20);

    Duration allowance() const { return m_allowance; }

    // A rest ended, and found its frame complete or not.
    void restEnded(bool complete);

private:
    Duration m_allowance{0};
};

} // namespace platform
