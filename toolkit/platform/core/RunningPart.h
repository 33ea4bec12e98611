// A part's state as the one the running toolkit holds, which the part's C functions find
// through current().
#pragma once

#include "Toolkit.h"

#include <memory>

namespace platform {

template <typename State>
class RunningPart : public ToolkitPart {
public:
    // nullptr before InitToolkit and once CloseToolkit has begun with it.
    static State* current() { return s_running; }
    ~RunningPart() override { s_running = nullptr; }

protected:
    // Hands the part's state to the toolkit, which owns it from now on.
    static void run(Toolkit& toolkit, std::unique_ptr<State> state) {
        s_running = state.get();
        toolkit.addPart(std::move(state));
    }

private:
    static inline State* s_running = nullptr;
};

} // namespace platform
