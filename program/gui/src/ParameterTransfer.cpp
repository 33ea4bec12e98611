// Reading the parameter set from the sensor's RAM or EEPROM, or taking what a parameter
// file has loaded, and showing it on the panel.
#include <gui/gui.h>

#include <com232/com232.h>
#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/ShellVariables.h>
#include <shared/StatusTexts.h>

#include <platform/serial.h>
#include <platform/ui.h>

void PushGET(int t) {
    if (t != DATFILE) {
        order = t == RAM ? ORDER_READ_RAM : ORDER_READ_EEPROM;
        CopyVarsToPP();
        FlushInQ(com);
        FlushOutQ(com);
        rx_flag = 0;
        if (SendFrame(com, static_cast<unsigned short>(order), pp) == FRAME_BYTES)
            SetCtrlVal(panelHandle, CTRL_STATUS, "Waiting for parameter-frame ...");
        WaitRXfull();
        if (rx_flag == 1) {
            GetRxBuf(PNUM);
            CopyPPtoVars();
            SetCtrlVal(panelHandle, CTRL_STATUS, STATUS_FRAME_RECEIVED);
        }
    }
    // Whatever the outcome, the panel shows the variables afterwards.
    SetPanelValues();
    SetInputLED(inputs);
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
}
