// The echo request that tells whether a sensor answers on the line, and the connect
// sequence built on it.
#include <com232/com232.h>

#include <shared/ControlIds.h>
#include <shared/ParameterVariables.h>
#include <shared/Protocol.h>
#include <shared/ShellVariables.h>
#include <shared/StatusTexts.h>

#include <platform/serial.h>
#include <platform/ui.h>

int CheckComLine(int port) {
    int result = 0;
    CopyVarsToPP();
    FlushInQ(port);
    FlushOutQ(port);
    order = ORDER_LINE_CHECK;
    rx_flag = 0;
    SendFrame(port, ORDER_LINE_CHECK, pp);
    WaitRXfull();
    if (rx_flag == 1) {
        if (pp[0] == ECHO_MARKER) {
            CopyStatus(STATUS_ECHO_OK);
            result = 1;
        } else {
            CopyStatus("read error - not sync byte 0xAA!");
        }
    }
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
    return result;
}

void ConnectSensor(int port) {
    if (CheckComLine(port) != 1)
        return;
    // The radio buttons are left as they are.
    target = RAM;
    if (connectParameterRead)
        connectParameterRead(RAM);
    if (GetVERSIONInfo() < FIRMWARE_BYTES)
        CopyStatus("Error reading firmware-info!");
}
