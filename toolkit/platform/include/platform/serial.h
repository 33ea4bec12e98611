// Serial-port operations of the toolkit seam. Ports are numbered from 1; which device a
// number stands for is set by the environment variable NALVO_COM<n>, else the platform's
// default device for that number.
#pragma once

// Results of OpenComConfig and the other operations.
constexpr int kComErrUnknownSystem = -1;
constexpr int kComErrInvalidPort = -2;
constexpr int kComErrPortNotOpen = -3;
constexpr int kComErrIo = -4;
constexpr int kComErrNoSuchPort = -6;
constexpr int kComErrCannotOpen = -7;

// Highest port number the map accepts.
constexpr int kMaxComPort = 255;

// Receive notification events.
constexpr int kComEventCharacter = 0x0002;
constexpr int kComEventOutputEmpty = 0x0004;
constexpr int kComEventNotifyCount = 0x8000;

using ComCallbackPtr = void (*)(int portNumber, int eventMask, void* callbackData);

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode);

// The handler runs only from event processing, when at least notifyCount bytes are waiting;
// it is raised again once the queue has dropped below the count and filled up again.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr callback, void* callbackData);

int ComWrt(int port, const char* buffer, int count);
int ComRd(int port, char* buffer, int count);
int GetInQLen(int port);
int FlushInQ(int port);
int FlushOutQ(int port);
