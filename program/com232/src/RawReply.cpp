#include "RawReply.h"

#include <com232/com232.h>

#include <platform/serial.h>
#include <platform/ui.h>

#include <algorithm>

int WaitForWaitingBytes(int count, double limit, bool& timedOut) {
    timedOut = false;
    tstart = Timer();
    for (;;) {
        const int n = GetInQLen(com);
        tdiff = Timer() - tstart;
        if (tdiff > limit) {
            timedOut = true;
            return n;
        }
        if (n >= count)
            return n;
    }
}

int ReadWaitingBytes(int n) {
    const int fits = std::clamp(n, 0, BUFFER_BYTES);
    const int read = fits > 0 ? ComRd(com, reinterpret_cast<char*>(szReadBuf), fits) : 0;
    if (n > fits)
        FlushInQ(com);
    return read;
}
