// Callbacks of the panel itself and of the mode drop-downs.
#include <app/Nalvo-ZUridozU10.h>

#include <gui/gui.h>
#include <platform/ui.h>

int CC_PANEL(int, int event, void*, int, int) {
    if (event == kEventClose) {
        stop_flag = 1;
        QuitUserInterface(0);
    }
    return 0;
}

// The evaluation mode reaches evalMode only when the panel is read.
int CC_DropDEvalmode(int, int, int, void*, int, int) {
    return 0;
}

int CC_DropHWMode(int panel, int control, int event, void*, int, int) {
    if (event == kEventCommit) {
        unsigned short mode = 0;
        GetCtrlVal(panel, control, &mode);
        DimToleranceForMode(mode);
    }
    return 0;
}
