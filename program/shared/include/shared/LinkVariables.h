// The device link's variables (module com232), defined here so that every module sees them.
// Each says who writes it and who reads it.
#pragma once

#include <platform/serial.h>
#include <shared/Protocol.h>

#include <algorithm>
#include <iterator>

constexpr int BUFFER_BYTES = 1024;
// Characters of the firmware text.
constexpr int VERSION_CHARS = 64;
// Room for the longest status text, its terminating zero included.
constexpr int STATUS_BYTES = 256;
// Words of each data-block buffer.
constexpr int DATA_WORDS = 256;

// In a namespace of its own because POSIX declares a function sync() at global scope.
namespace com232 {
// The frame's start value and the notification's event character. Set by InitVars and Send;
// read by every frame build.
inline int sync = SYNC_VALUE;
} // namespace com232

// The order code of the request being built. Written by every sender; read by no one after.
inline int order = 0;
// The words about to be sent, or those of the last frame received. Written by the senders
// (from the parameter variables) and by the receive notification; read by the frame build,
// the parameter read, the line check, the live view's plots and Button teach.
inline unsigned short pp[PNUM] = {};
// The request frame. Written by FillTxBuf; read by the write that follows it.
inline unsigned char szWriteBuf[BUFFER_BYTES] = {};
// The reply last read. Written by the receive notification and the raw reads; read by the
// decoders.
inline unsigned char szReadBuf[BUFFER_BYTES] = {};
// Bytes the last request's write placed. Written by SendFrame; read by the senders that
// choose their message by it.
inline int nBytesW = 0;

// The port in use. Written by InitVars and the port drop-down; read by every exchange.
inline int com = 0;
// A frame has been decoded into pp. Set by the receive notification; cleared by each sender
// before its request and by the live view; read by every wait for a reply.
inline int rx_flag = 0;
// A frame waits to be shown. Set with rx_flag; read and cleared by the live view.
inline int graphrefresh = 0;
// Start of the running wait and the time since, in seconds. Written by every wait, nested
// ones included; read by the wait that wrote them last (and by the teach command after its
// read-back, which takes the read-back's time).
inline double tstart = 0.0, tdiff = 0.0;
// Outcome of the last reply wait. Written and returned by WaitRXfull; read by no one else.
inline int ret = 0;
// The status text. Written by the port set-up, the waits and the queries; shown by them and
// by the parameter read.
inline char szStatus[STATUS_BYTES] = {};

// Notification events installed on the port: at least a frame waiting, output queue empty,
// event character received. Only the first has an effect. Read by the port set-up and the
// firmware query.
inline int eventMask = kComEventNotifyCount | kComEventOutputEmpty | kComEventCharacter;

// The firmware text of the last good query. Written and read by the firmware query.
inline char szVersion[VERSION_CHARS + 1] = {};
// Bytes the last raw read took. Written by the firmware and data-block reads.
inline int nBytesR = 0;
// The data-block read's destination. Cleared by InitVars; written by the data-block read.
inline unsigned short yArrayA[DATA_WORDS] = {}, yArrayB[DATA_WORDS] = {};

// How the connect sequence reads the parameter set: the parameter transfer's PushGET, one
// module up. Set by InitVars; called by the connect sequence.
inline void (*connectParameterRead)(int t) = nullptr;

// The variables as they are when the program is loaded.
inline void ResetLinkVariables() {
    com232::sync = SYNC_VALUE;
    order = 0;
    std::fill(std::begin(pp), std::end(pp), 0);
    std::fill(std::begin(szWriteBuf), std::end(szWriteBuf), 0);
    std::fill(std::begin(szReadBuf), std::end(szReadBuf), 0);
    nBytesW = 0;
    com = 0;
    rx_flag = 0;
    graphrefresh = 0;
    tstart = tdiff = 0.0;
    ret = 0;
    std::fill(std::begin(szStatus), std::end(szStatus), '\0');
    eventMask = kComEventNotifyCount | kComEventOutputEmpty | kComEventCharacter;
    std::fill(std::begin(szVersion), std::end(szVersion), '\0');
    nBytesR = 0;
    std::fill(std::begin(yArrayA), std::end(yArrayA), 0);
    std::fill(std::begin(yArrayB), std::end(yArrayB), 0);
    connectParameterRead = nullptr;
}
