// Start-up values of the shared variables and the two info texts.
#include <app/Nalvo-ZUridozU10.h>

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/Protocol.h>

#include <algorithm>
#include <iterator>

namespace {
// Handed to ShowInfoText, which does not give the new control's id back: they stay 0.
constexpr int textIDsoft = 0;
constexpr int textIDver = 0;
} // namespace

void InitVars() {
    power0 = 500;
    power1 = 500;
    polarity = 1;
    evalMode = 0;

    com = 1;
    com232::sync = SYNC_VALUE;
    order = ORDER_WRITE_RAM;
    target = RAM;
    rx_flag = 0;
    // The device link reads the parameter set through the parameter transfer.
    connectParameterRead = PushGET;

    CopyStatus("InitVars");
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);

    ShowInfoText(textIDsoft, "Nalvo-DE-Divor", 500, 70, 18, 0xFFFFFF, 0);
    ShowInfoText(textIDver, "V.1.0", 620, 75, 12, 0xFFFFFF, 0);

    GetPanelValues();

    SetCtrlAttribute(panelHandle, CTRL_RAW_CHART, kAttrVisible, 1);
    SetCtrlAttribute(panelHandle, CTRL_NORM_CHART, kAttrVisible, 0);

    std::fill(std::begin(yArrayA), std::end(yArrayA), 0);
    std::fill(std::begin(yArrayB), std::end(yArrayB), 0);
}

void ShowInfoText(int, const char* text, int left, int top, int size, int colour, int bold) {
    const int control = NewCtrl(panelHandle, kCtrlTextMessage, "", top, left);
    SetCtrlAttribute(panelHandle, control, kAttrTextFont, kAppFont);
    SetCtrlAttribute(panelHandle, control, kAttrTextColor, colour);
    SetCtrlAttribute(panelHandle, control, kAttrTextBold, bold);
    SetCtrlAttribute(panelHandle, control, kAttrTextPointSize, size);
    SetCtrlVal(panelHandle, control, text);
}
