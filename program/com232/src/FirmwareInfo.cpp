// The sensor's firmware text: 64 raw bytes, one character in the low byte of each word.
#include <com232/com232.h>

#include "RawReply.h"

#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/ShellVariables.h>

#include <platform/serial.h>
#include <platform/ui.h>

namespace {
constexpr int kFirmwareWords = FIRMWARE_BYTES / 2;

// The notification back as the port set-up installed it, and nothing left behind: no byte
// that came with the reply or after it, no flag raised before it.
void restoreReceiving(int port) {
    InstallComCallback(port, eventMask, FRAME_BYTES, com232::sync, RX_Receive_Function, nullptr);
    FlushInQ(port);
    FlushOutQ(port);
    rx_flag = 0;
}

} // namespace

int ReadFirmwareReply() {
    bool timedOut = false;
    const int n = WaitForWaitingBytes(FIRMWARE_BYTES, FIRMWARE_LIMIT, timedOut);
    if (timedOut)
        CopyStatus("Timeout - reading firmware info!");

    szVersion[0] = '\0';
    nBytesR = ReadWaitingBytes(n);
    if (nBytesR == FIRMWARE_BYTES) {
        int words[kFirmwareWords];
        for (int i = 0; i < kFirmwareWords; ++i)
            words[i] = szReadBuf[2 * i] * 256 + szReadBuf[2 * i + 1];
        Fmt(szVersion, "%64c<%32i", words);
        CopyStatus(szVersion);
    }
    return n;
}

int GetVERSIONInfo() {
    // The reply is longer than a frame: the notification must not take its first 36 bytes.
    InstallComCallback(com, 0, FRAME_BYTES, com232::sync, nullptr, nullptr);
    FlushInQ(com);
    FlushOutQ(com);
    order = ORDER_FIRMWARE;
    SendFrame(com, ORDER_FIRMWARE, pp);
    SetCtrlVal(panelHandle, CTRL_STATUS, "Waiting for firmware info ...");
    const int n = ReadFirmwareReply();
    restoreReceiving(com);
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
    return n;
}
