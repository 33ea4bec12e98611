// The com232 module: the device link to the sensor. Its variables are in
// <shared/LinkVariables.h>.
#pragma once

#include <shared/LinkVariables.h>

// Copies a message into szStatus.
void CopyStatus(const char* text);

void FillTxBuf(unsigned short code, const unsigned short* words);
void GetRxBuf(int count);
void CopyVarsToPP();
void CopyPPtoVars();
// Builds a frame with the order code and words and writes it to the port; keeps and returns
// the count written in nBytesW.
int SendFrame(int port, unsigned short code, const unsigned short* words);

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
