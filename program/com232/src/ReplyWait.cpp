// Waiting for a reply frame while the panel and the receive notification go on.
#include <com232/com232.h>
#include <shared/Protocol.h>

#include <platform/ui.h>

int WaitRXfull() {
    ret = 1;
    tstart = Timer();
    for (;;) {
        ProcessSystemEvents();
        tdiff = Timer() - tstart;
        if (tdiff > REPLY_LIMIT) {
            CopyStatus("Timeout-RS-232...");
            ret = 0;
            break;
        }
        if (rx_flag != 0)
            break;
    }
    return ret;
}
