#include "ArrivalAllowance.h"

#include <algorithm>

namespace platform {

void ArrivalAllowance::foundComplete() {
    // An eighth a rest: after a burst of late frames, the allowance is back near the usual
    // lateness within some twenty frames.
    m_allowance -= m_allowance / 8;
}

void ArrivalAllowance::completedLate(Duration late) {
    if (late > kLongest)
        return;
    m_allowance = std::max(m_allowance, late);
}

} // namespace platform
