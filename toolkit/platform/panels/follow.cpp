#include "FollowHooks.h"

#include "FieldSettling.h"
#include "PanelsState.h"

namespace platform {

void FollowHooks::runCallback(int panel, int control, int event,
                              const std::function<void()>& callback) {
    // By index: a gate may let events through, and a tool attached meanwhile adds to the list.
    for (std::size_t i = 0; i < gates.size(); ++i)
        if (!gates[i](panel, control, event))
            return;
    for (std::size_t i = 0; i < callbackStart.size(); ++i)
        callbackStart[i](panel, control, event);
    callback();
    for (std::size_t i = 0; i < afterCallback.size(); ++i)
        afterCallback[i](panel, control, event);
}

void FollowHooks::programSetValue(int panel, int control) const {
    for (const ProgramValueHook& hook : programValue)
        hook(panel, control);
}

void onBeforeCallback(CallbackGate gate) {
    if (PanelsState* part = PanelsState::current())
        part->followHooks.gates.push_back(std::move(gate));
}

void onCallbackStart(CallbackHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->followHooks.callbackStart.push_back(std::move(hook));
}

void onAfterCallback(CallbackHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->followHooks.afterCallback.push_back(std::move(hook));
}

void onProgramValue(ProgramValueHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->followHooks.programValue.push_back(std::move(hook));
}

void postCall(std::function<void()> call) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->dispatcher().post([call = std::move(call)] {
            settleFocusedField();
            call();
        });
}

} // namespace platform
