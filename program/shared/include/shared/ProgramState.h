// Everything the modules share, and a way back to the state the program is loaded with.
#pragma once

#include <shared/ControlIds.h>
#include <shared/LinkVariables.h>
#include <shared/ParameterVariables.h>
#include <shared/ShellVariables.h>

inline void ResetProgramState() {
    ResetLinkVariables();
    ResetParameterVariables();
    ResetShellVariables();
}
