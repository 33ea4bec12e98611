// The main module's variables, defined here so that every module sees them. Each says who
// writes it and who reads it.
#pragma once

#include <platform/util.h>

#include <algorithm>
#include <iterator>

// The main panel. Written once at start-up by LoadPanel; read by every module that shows
// something.
inline int panelHandle = -1;
// The program's directory, where the file dialogs start. Written once at start-up; read by
// the dialogs.
inline char proj_dir[kMaxPathnameLen];
// Asks a running live view to stop. Written by Run (0), Stop, the close box, the EEPROM target
// and the live view's time-out (1); read by the live view's loop.
inline int stop_flag;

// The variables as they are when the program is loaded.
inline void ResetShellVariables() {
    panelHandle = -1;
    std::fill(std::begin(proj_dir), std::end(proj_dir), '\0');
    stop_flag = 0;
}
