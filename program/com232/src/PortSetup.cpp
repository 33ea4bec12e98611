// Opening the port to the sensor and connecting to it.
#include <com232/com232.h>

#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/ShellVariables.h>

#include <platform/serial.h>
#include <platform/ui.h>

const char* OpenErrorText(int result) {
    switch (result) {
    case kComErrUnknownSystem:
        return "Unknown system error";
    case kComErrInvalidPort:
        return "Invalid port number";
    case kComErrPortNotOpen:
        return "Port is not open";
    case kComErrIo:
        return "Unknown I/0 error";
    case kComErrNoSuchPort:
        return "No serial port found";
    case kComErrCannotOpen:
        return "Cannot open port";
    default:
        return "RS-232 error!";
    }
}

void InitRS232(int port) {
    const int result = OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (result < 0) {
        CopyStatus(OpenErrorText(result));
    } else {
        SetComTime(port, PORT_LIMIT);
        FlushInQ(port);
        FlushOutQ(port);
        SetCTSMode(port, 0);
        InstallComCallback(port, eventMask, FRAME_BYTES, com232::sync, RX_Receive_Function,
                           nullptr);
        ConnectSensor(port);
    }
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
}
