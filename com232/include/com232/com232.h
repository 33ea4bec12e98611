// The com232 module: the device link to the sensor.
#pragma once

// Payload words of a frame and of the parameter packet.
constexpr int PNUM = 16;
// Bytes of a frame: sync word, order word and the payload words.
constexpr int FRAME_BYTES = 2 * PNUM + 4;
constexpr int BUFFER_BYTES = 1024;
// Bytes of the firmware reply.
constexpr int FIRMWARE_BYTES = 64;
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

// Notification events installed on the port: at least a frame waiting, output queue empty,
// event character received. Only the first has an effect.
extern int eventMask;

extern char szVersion[65];
extern int nBytesR;
extern unsigned short yArrayA[256], yArrayB[256];

// Copies a message into szStatus.
void CopyStatus(const char* text);

void FillTxBuf(unsigned short order, const unsigned short* words);
void GetRxBuf(int count);
void CopyVarsToPP();
void CopyPPtoVars();

void InitRS232(int port);
void RX_Receive_Function(int port, int eventMask, void* callbackData);
int WaitRXfull();

int CheckComLine(int port);
int GetVERSIONInfo();
int ReadData64(int address, int word1);
// The receiving halves of the two queries: wait for the raw reply, read and store it.
int ReadFirmwareReply();
int ReadDataBlockReply(int address);
// The status text for a failed port open.
const char* OpenErrorText(int result);
// The last step of InitRS232 on an open port: line check, then the RAM parameters and the
// firmware text.
void ConnectSensor(int port);
