// Opening the port to the sensor and connecting to it.
#include <com232/com232.h>

#include <app/Nalvo-ZUridozU10.h>
#include <app/panel_ids.h>
#include <platform/serial.h>
#include <platform/ui.h>

const char* OpenErrorText(int result) {
    switch (result) {
    case -1:
        return "Unknown system error";
    case -2:
        return "Invalid port number";
    case -3:
        return "Port is not open";
    case -4:
        return "Unknown I/0 error";
    case -6:
        return "No serial port found";
    case -7:
        return "Cannot open port";
    case -99:
        return "Timeout";
    default:
        return "RS-232 error!";
    }
}

void InitRS232(int port) {
    const int result = OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (result < 0) {
        CopyStatus(OpenErrorText(result));
    } else {
        SetComTime(port, 2.0);
        FlushInQ(port);
        FlushOutQ(port);
        SetCTSMode(port, 0);
        InstallComCallback(port, eventMask, FRAME_BYTES, com232::sync, RX_Receive_Function,
                           nullptr);
        ConnectSensor(port);
    }
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
}
