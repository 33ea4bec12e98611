// The port drop-down: closes the port in use and opens the chosen one, the same one too.
#include <app/Nalvo-ZUridozU10.h>

#include <com232/com232.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

int CC_DropDCom(int panel, int control, int event, void*, int, int) {
    if (event != kEventCommit)
        return 0;
    CloseCom(com);
    GetCtrlVal(panel, control, &com);
    SetCtrlVal(panel, CTRL_STATUS, "Init COM-Port ...");
    InitRS232(com);
    return 0;
}
