// The 64-word data block: 128 raw bytes, stored by block address.
#include <com232/com232.h>

#include "RawReply.h"

#include <shared/ControlIds.h>
#include <shared/Protocol.h>
#include <shared/ShellVariables.h>

#include <platform/serial.h>
#include <platform/ui.h>

#include <algorithm>

namespace {

constexpr int kBlockWords = DATA_BLOCK_BYTES / 2;
// A time-out clears the first two blocks' worth of words of both buffers.
constexpr int kClearedWords = 2 * kBlockWords;

// Where a block with this address goes, or nullptr for an address that selects nothing.
unsigned short* destination(int address) {
    switch (address) {
    case 0:
        return yArrayA;
    case 64:
        return yArrayA + kBlockWords;
    case 128:
        return yArrayB;
    case 192:
        return yArrayB + kBlockWords;
    default:
        return nullptr;
    }
}

} // namespace

int ReadData64(int address, int word1) {
    order = ORDER_DATA_BLOCK;
    // The request carries the address and the second word, not the packet.
    const unsigned short words[PNUM] = {static_cast<unsigned short>(address),
                                        static_cast<unsigned short>(word1)};
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    SendFrame(com, ORDER_DATA_BLOCK, words);
    SetCtrlVal(panelHandle, CTRL_STATUS, "Waiting for Data[64] ...");
    const int result = ReadDataBlockReply(address);
    SetCtrlVal(panelHandle, CTRL_STATUS, szStatus);
    return result;
}

int ReadDataBlockReply(int address) {
    int result = 0;
    bool timedOut = false;
    const int n = WaitForWaitingBytes(DATA_BLOCK_BYTES, DATA_BLOCK_LIMIT, timedOut);
    if (timedOut) {
        CopyStatus("Timeout-RS-232 while reading 64 data-words!");
        std::fill_n(yArrayA, kClearedWords, 0);
        std::fill_n(yArrayB, kClearedWords, 0);
    }

    nBytesR = ReadWaitingBytes(n);
    if (nBytesR == DATA_BLOCK_BYTES) {
        CopyStatus("Data[64] block received!");
        result = kBlockWords;
        if (unsigned short* words = destination(address))
            for (int i = 0; i < kBlockWords; ++i)
                words[i] =
                    static_cast<unsigned short>(szReadBuf[2 * i] * 256 + szReadBuf[2 * i + 1]);
    }
    return result;
}
