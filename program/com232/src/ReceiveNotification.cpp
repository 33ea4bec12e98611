// Turns every frame that arrives into a decoded packet and two raised flags.
#include <com232/com232.h>

#include <platform/serial.h>

void RX_Receive_Function(int, int mask, void*) {
    if (!(mask & kComEventNotifyCount))
        return;
    // A short read (the queue was flushed meanwhile, or the port went away) is no frame:
    // the packet and the flags stay as they were.
    if (ComRd(com, reinterpret_cast<char*>(szReadBuf), FRAME_BYTES) == FRAME_BYTES) {
        GetRxBuf(PNUM);
        rx_flag = 1;
        graphrefresh = 1;
    }
    FlushInQ(com);
}
