// Reading the parameter set from the sensor's RAM or EEPROM, or taking what a parameter
// file has loaded, and showing it on the panel.
#include <gui/gui.h>

#include <app/Nalvo-ZUridozU10.h>
#include <app/panel_ids.h>
#include <com232/com232.h>
#include <platform/serial.h>
#include <platform/ui.h>

void PushGET(int t) {
    if (t != DATFILE) {
        order = t == RAM ? 2 : 4;
        CopyVarsToPP();
        FlushInQ(com);
        FlushOutQ(com);
        FillTxBuf(static_cast<unsigned short>(order), pp);
        rx_flag = 0;
        nBytesW = ComWrt(com, reinterpret_cast<const char*>(szWriteBuf), FRAME_BYTES);
        if (nBytesW == FRAME_BYTES)
            SetCtrlVal(panelHandle, CTRL_STATUS, "Waiting for parameter-frame ...");
        WaitRXfull();
        if (rx_flag == 1) {
            GetRxBuf(PNUM);
            CopyPPtoVars();
            SetCtrlVal(panelHandle, CTRL_STATUS, "Parameter-frame received! - Line Ok!");
        }
    }
    // Whatever the outcome, the panel shows the variables afterwards.
    SetPanelValues();
    SetInputLED(inputs);
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
}
