// The com232 module: the device link to the sensor.
#pragma once

// Payload words of a frame and of the parameter packet.
constexpr int PNUM = 16;
// Bytes of a frame: sync word, order word and the payload words.
constexpr int FRAME_BYTES = 2 * PNUM + 4;
constexpr int BUFFER_BYTES = 1024;
// Room for the longest status text, its terminating zero included.
constexpr int STATUS_BYTES = 256;

// The frame's start value, 0x55. In a namespace of its own because POSIX declares a
// function sync() at global scope.
namespace com232 {
extern int sync;
}
extern int order;
extern unsigned short pp[PNUM];
extern unsigned char szWriteBuf[BUFFER_BYTES];
extern unsigned char szReadBuf[BUFFER_BYTES];
extern int nBytesW;

extern int com;
extern int rx_flag;
extern int graphrefresh;
extern double tstart, tdiff;
extern int ret;
extern char szStatus[STATUS_BYTES];

extern unsigned short yArrayA[256], yArrayB[256];

// Copies a message into szStatus.
void CopyStatus(const char* text);
