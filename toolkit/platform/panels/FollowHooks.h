// What the service tools asked to hear of the program's events; kept until CloseToolkit.
#pragma once

#include <platform/follow.h>

#include <vector>

namespace platform {

struct FollowHooks {
    std::vector<CallbackGate> gates;
    std::vector<CallbackHook> callbackStart;
    std::vector<CallbackHook> afterCallback;
    std::vector<ProgramValueHook> programValue;

    // Runs the control's callback unless a gate holds it back, then tells who asked.
    void runCallback(int panel, int control, int event, const std::function<void()>& callback);
    void programSetValue(int panel, int control) const;
};

} // namespace platform
