#include <com232/com232.h>

#include <cstdio>

namespace com232 {
int sync = 0x55;
}
int order;
unsigned short pp[PNUM];
unsigned char szWriteBuf[BUFFER_BYTES];
unsigned char szReadBuf[BUFFER_BYTES];
int nBytesW;

int com;
int rx_flag;
int graphrefresh;
double tstart, tdiff;
int ret;
char szStatus[STATUS_BYTES];

int eventMask = 0x8006;

char szVersion[65];
int nBytesR;
unsigned short yArrayA[256], yArrayB[256];

void CopyStatus(const char* text) {
    std::snprintf(szStatus, sizeof szStatus, "%s", text);
}
