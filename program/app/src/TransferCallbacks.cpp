// Get, Send and the three target radio buttons.
#include <app/Nalvo-ZUridozU10.h>

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/Protocol.h>

int CC_BTNGet(int, int, int event, void*, int, int) {
    if (event != kEventCommit)
        return 0;
    if (target == DATFILE) {
        if (ReadParaFromFile() > 0)
            PushGET(DATFILE);
    } else {
        PushGET(target);
    }
    return 0;
}

int CC_BTNSend(int panel, int, int event, void*, int, int) {
    if (event != kEventLeftClick)
        return 0;
    SetCtrlVal(panel, CTRL_STATUS, "Transmit...");
    if (target == DATFILE) {
        if (FileSelectPopup(proj_dir, "ZULpara.dat", "*.dat",
                            "T-KOR-ZUL Parameter File:", kButtonOk, 0, 1, 1, 1, file_name) > 0)
            SendParaToFile();
        return 0;
    }
    com232::sync = SYNC_VALUE;
    order = target == EEPROM ? ORDER_WRITE_EEPROM : ORDER_WRITE_RAM;
    GetPanelValues();
    CopyVarsToPP();
    SendFrame(com, static_cast<unsigned short>(order), pp);
    // The system's text for both targets.
    CopyStatus(nBytesW == FRAME_BYTES ? "Line Ok!" : "Error writing para to RAM");
    SetCtrlVal(panel, CTRL_STATUS, szStatus);
    return 0;
}

namespace {

// A target button switched on selects its target and switches the other two off; switched
// off, any of them falls back to RAM with its button on.
int onTargetButton(int panel, int control, int event, int chosen) {
    if (event != kEventValueChanged)
        return 0;
    int value = 0;
    GetCtrlVal(panel, control, &value);
    if (value != 1) {
        target = RAM;
        SetCtrlVal(panel, CTRL_RAM, 1);
        return 0;
    }
    SetCtrlVal(panel, control, 1);
    target = chosen;
    // Parameters are not to be written to EEPROM while the live view polls the sensor.
    if (chosen == EEPROM)
        stop_flag = 1;
    for (const int other : {CTRL_RAM, CTRL_EEPROM, CTRL_FILE})
        if (other != control)
            SetCtrlVal(panel, other, 0);
    return 0;
}

} // namespace

int CC_RBTRam(int panel, int control, int event, void*, int, int) {
    return onTargetButton(panel, control, event, RAM);
}

int CC_RBTEeprom(int panel, int control, int event, void*, int, int) {
    return onTargetButton(panel, control, event, EEPROM);
}

int CC_RBTFile(int panel, int control, int event, void*, int, int) {
    return onTargetButton(panel, control, event, DATFILE);
}
