// The two teach commands: the sensor takes a new setpoint, then the parameter set is read
// back from its RAM.
#include <app/Nalvo-ZUridozU10.h>

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/StatusTexts.h>

namespace {

// Waits for the sensor's answer and reads the parameter set back once it has come; false
// when the time ran out first.
bool awaitTeachAnswer(double limit) {
    tstart = Timer();
    do {
        if (rx_flag == 1) {
            PushGET(RAM);
            return true;
        }
        tdiff = Timer() - tstart;
        ProcessSystemEvents();
    } while (tdiff < limit);
    return false;
}

} // namespace

int CC_BTNTeach(int panel, int, int event, void*, int, int) {
    if (event == kEventLeftClick) {
        SetCtrlVal(panel, CTRL_STATUS, "Teach new Reference-Value ...");
        return 0;
    }
    if (event != kEventCommit)
        return 0;
    FlushInQ(com);
    FlushOutQ(com);
    order = ORDER_TEACH;
    GetPanelValues();
    CopyVarsToPP();
    rx_flag = 0;
    if (SendFrame(com, ORDER_TEACH, pp) == FRAME_BYTES)
        SetCtrlVal(panel, CTRL_STATUS, "Line Ok!");
    SetCtrlVal(panel, CTRL_STATUS, "New setpoint value teached!");
    // After an answer, tdiff is the read-back's wait: a slow read-back counts too. Without
    // one the wait ended at the limit, which is a time-out even when it hit 1.5 s exactly.
    const bool answered = awaitTeachAnswer(TEACH_LIMIT);
    if (!answered || tdiff > TEACH_LIMIT)
        SetCtrlVal(panel, CTRL_STATUS, STATUS_TEACH_TIMEOUT);
    return 0;
}

int CC_ButtonTeach(int panel, int, int event, void*, int, int) {
    if (event != kEventCommit)
        return 0;
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    order = ORDER_BUTTON_TEACH;
    // The packet goes as it is: the last frame received or the variables last copied.
    SendFrame(com, ORDER_BUTTON_TEACH, pp);
    SetCtrlVal(panel, CTRL_STATUS, "New setpoint value teached!");
    // Without an answer nothing was taught.
    if (!awaitTeachAnswer(BUTTON_TEACH_LIMIT))
        SetCtrlVal(panel, CTRL_STATUS, STATUS_TEACH_TIMEOUT);
    return 0;
}
