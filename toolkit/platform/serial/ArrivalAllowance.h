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

    // The allowance grows no longer than this: where frames come later still, as on a busy
    // machine or through an adapter that holds bytes back for milliseconds, a rest ends too
    // soon and the frame wakes the program once more, rather than every frame waiting long.
    explicit ArrivalAllowance(Duration longest) : m_longest(longest) {}

    Duration allowance() const { return m_allowance; }

    // A rest ended, and found its frame complete or not.
    void restEnded(bool complete);

private:
    Duration m_longest;
    Duration m_allowance{0};
};

} // namespace platform
