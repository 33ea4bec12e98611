#include "Toolkit.h"

#include <platform/overrides.h>
#include <platform/util.h>

#include <chrono>

double Timer() {
    if (const platform::Toolkit* toolkit = platform::Toolkit::current();
        toolkit && toolkit->timerSource)
        return toolkit->timerSource();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

namespace platform {

void setTimerSource(std::function<double()> source) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->timerSource = std::move(source);
}

} // namespace platform
