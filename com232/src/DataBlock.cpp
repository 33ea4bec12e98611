// The 64-word data block: 128 raw bytes, stored by block address.
#include <com232/com232.h>

#include "RawReply.h"

#include <app/Nalvo-ZUridozU10.h>
#include <app/panel_ids.h>
#include <platform/serial.h>
#include <platform/ui.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBlockBytes = 128;
constexpr int kBlockWords = kBlockBytes / 2;
constexpr double kBlockLimit = 1.5;

// Where a block with this address goes, or nullptr for an address that selects nothing.
unsigned short* destination(int address) {
    switch (address) {
    case 0:
        return yArrayA;
    case 64:
        return yArrayA + 64;
    case 128:
        return yArrayB;
    case 192:
        return yArrayB + 64;
    default:
        return nullptr;
    }
}

} // namespace

int ReadData64(int address, int word1) {
    order = 9;
    std::memset(szWriteBuf, 0, FRAME_BYTES);
    szWriteBuf[0] = static_cast<unsigned char>((com232::sync >> 8) & 0xFF);
    szWriteBuf[1] = static_cast<unsigned char>(com232::sync & 0xFF);
    szWriteBuf[3] = 9;
    szWriteBuf[4] = static_cast<unsigned char>((address >> 8) & 0xFF);
    szWriteBuf[5] = static_cast<unsigned char>(address & 0xFF);
    szWriteBuf[6] = static_cast<unsigned char>((word1 >> 8) & 0xFF);
    szWriteBuf[7] = static_cast<unsigned char>(word1 & 0xFF);

    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    nBytesW = ComWrt(com, reinterpret_cast<const char*>(szWriteBuf), FRAME_BYTES);
    SetCtrlVal(panelHandle, CTRL_STATUS, "Waiting for Data[64] ...");
    const int result = ReadDataBlockReply(address);
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
    return result;
}

int ReadDataBlockReply(int address) {
    int result = 0;
    bool timedOut = false;
    const int n = WaitForWaitingBytes(kBlockBytes, kBlockLimit, timedOut);
    if (timedOut) {
        CopyStatus("Timeout-RS-232 while reading 64 data-words!");
        std::fill_n(yArrayA, kBlockBytes, 0);
        std::fill_n(yArrayB, kBlockBytes, 0);
    }

    nBytesR = ReadWaitingBytes(n);
    if (nBytesR == kBlockBytes) {
        CopyStatus("Data[64] block received!");
        result = kBlockWords;
        if (unsigned short* words = destination(address))
            for (int i = 0; i < kBlockWords; ++i)
                words[i] =
                    static_cast<unsigned short>(szReadBuf[2 * i] * 256 + szReadBuf[2 * i + 1]);
    }
    return result;
}
