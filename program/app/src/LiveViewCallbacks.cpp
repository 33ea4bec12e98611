// The live view: Run asks the sensor for one measurement after another and shows each one,
// until Stop, the close box, the EEPROM target or a silent line ends it.
#include <app/Nalvo-ZUridozU10.h>

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/StatusTexts.h>

namespace {

// The controls that start another exchange on the link stay dimmed while a run lasts, so
// that no operation takes a measurement frame for its own reply. Run and Send are dimmed
// by the run itself.
void dimLinkControls(int panel, int dimmed) {
    for (const int control : {CTRL_GET, CTRL_TEACH, CTRL_BUTTON_TEACH, CTRL_PORT})
        SetCtrlAttribute(panel, control, kAttrDimmed, dimmed);
}

// Every measurement request carries the parameter set.
void sendMeasurementRequest() {
    CopyVarsToPP();
    rx_flag = 0;
    SendFrame(com, ORDER_MEASUREMENT, pp);
}

void showMeasurement(int panel) {
    unsigned short signalType = 0;
    GetCtrlVal(panel, CTRL_SIGNAL_TYPE, &signalType);
    if (signalType == 0)
        PlotRAWvalues();
    else
        PlotNORMvalues();
    graphrefresh = 0;
}

} // namespace

int CC_BTNRun(int panel, int, int event, void*, int, int) {
    if (event != kEventCommit)
        return 0;
    SetCtrlAttribute(panel, CTRL_RAW_CHART, kAttrVisible, 1);
    SetCtrlAttribute(panel, CTRL_RUN_HINT, kAttrVisible, 0);
    SetCtrlAttribute(panel, CTRL_RUN, kAttrDimmed, 1);
    SetCtrlAttribute(panel, CTRL_SEND, kAttrDimmed, 1);
    dimLinkControls(panel, 1);
    // Shown only: the target stays what it was.
    SetCtrlVal(panel, CTRL_RAM, 1);
    SetCtrlVal(panel, CTRL_EEPROM, 0);

    FlushInQ(com);
    FlushOutQ(com);
    order = ORDER_MEASUREMENT;
    sendMeasurementRequest();
    if (nBytesW == FRAME_BYTES)
        SetCtrlVal(panel, CTRL_STATUS, "Line Ok!");
    tstart = Timer();
    stop_flag = 0;
    graphrefresh = 0;

    for (;;) {
        // Shown before the next request, which overwrites the packet.
        if (graphrefresh == 1)
            showMeasurement(panel);
        if (rx_flag == 1) {
            FlushInQ(com);
            FlushOutQ(com);
            tstart = Timer();
            sendMeasurementRequest();
        }
        tdiff = Timer() - tstart;
        if (tdiff > LIVE_VIEW_LIMIT) {
            SetCtrlVal(panel, CTRL_STATUS, STATUS_LIVE_VIEW_TIMEOUT);
            stop_flag = 1;
            break;
        }
        ProcessSystemEvents();
        if (stop_flag != 0)
            break;
    }

    rx_flag = 0;
    FlushInQ(com);
    FlushOutQ(com);
    graphrefresh = 0;
    SetCtrlAttribute(panel, CTRL_RUN, kAttrDimmed, 0);
    SetCtrlAttribute(panel, CTRL_TEACH, kAttrDimmed, 0);
    dimLinkControls(panel, 0);
    return 0;
}

int CC_BTNStop(int panel, int, int event, void*, int, int) {
    if (event != kEventLeftClick)
        return 0;
    stop_flag = 1;
    SetCtrlAttribute(panel, CTRL_GET, kAttrDimmed, 0);
    SetCtrlAttribute(panel, CTRL_SEND, kAttrDimmed, 0);
    return 0;
}

int CC_DropSignaltype(int panel, int control, int event, void*, int, int) {
    if (event != kEventCommit)
        return 0;
    unsigned short signalType = 0;
    GetCtrlVal(panel, control, &signalType);
    if (signalType == 0) {
        SetCtrlAttribute(panel, CTRL_RAW_CHART, kAttrVisible, 1);
        SetCtrlAttribute(panel, CTRL_NORM_CHART, kAttrVisible, 0);
    } else {
        SetCtrlAttribute(panel, CTRL_RAW_CHART, kAttrVisible, 0);
        SetCtrlAttribute(panel, CTRL_NORM_CHART, kAttrVisible, 1);
    }
    return 0;
}
