// The state of one of the toolkit's parts as the running toolkit holds it, found by that
// part's C functions through current().
#pragma once

#include "Toolkit.h"

#include <memory>

namespace platform {

template <typename State>
class RunningState : public ToolkitPart {
public:
    // nullptr before InitToolkit and once CloseToolkit has begun with it.
    static State* current() { return s_running; }
    ~RunningState() override { s_running = nullptr; }

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
