#include <platform/overrides.h>
#include <platform/util.h>

#include <chrono>

namespace {

std::function<double()>& timerSource() {
    static std::function<double()> source;
    return source;
}

} // namespace

double Timer() {
    if (timerSource())
        return timerSource()();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

namespace platform {

void setTimerSource(std::function<double()> source) {
    timerSource() = std::move(source);
}

} // namespace platform
