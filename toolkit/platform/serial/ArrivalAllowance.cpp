#include "ArrivalAllowance.h"

#include <algorithm>

namespace platform {

void ArrivalAllowance::restEnded(bool complete) {
    // Three steps up for a rest that ended too soon, one down for one that did not: it settles
    // where one rest in four ends too soon. A step is a sixteenth of the allowance, so a single
    // stall of the machine counts little.
    const Duration step = std::max<Duration>(m_allowance / 16, std::chrono::microseconds(5));
    m_allowance = complete ? std::max(m_allowance - step, Duration{0})
                           : std::min(m_allowance + 3 * step, m_longest);
}

} // namespace platform
