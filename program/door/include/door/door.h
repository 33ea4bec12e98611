// The program's door for the service tools: what they read of the program, and the few things
// they ask of it. The tools include this header and no other of program/; headers of the
// program that are vocabulary only (no state) are re-exported here.
#pragma once

// The panel file's control ids, under the names the program gives them.
#include <shared/ControlIds.h>
// The sensor's protocol: frame sizes, order codes, what a reply carries, the time limits.
#include <shared/Protocol.h>
// The status texts that tell an exchange's outcome.
#include <shared/StatusTexts.h>

#include <array>

namespace door {

// Words of the parameter packet, and a packet's words in order.
constexpr int kWords = PNUM;
using Words = std::array<unsigned short, kWords>;

// Bytes of a whole frame (sync word, order word, sixteen words) and of the firmware reply.
constexpr int kFrameBytes = FRAME_BYTES;
constexpr int kFirmwareBytes = FIRMWARE_BYTES;

// The transfer targets of Get and Send, as target() gives them.
constexpr int kRam = 1;
constexpr int kEeprom = 2;
constexpr int kFile = 3;

// Seconds readParameterSet waits for the reply: as long as the program's own Get.
constexpr double kReadLimit = REPLY_LIMIT;

// The port in use; 0 before the program has chosen one.
int portInUse();
// The words of the last frame received, or of the request last built.
Words lastPacket();
// A received frame is waiting to be shown: up while the program shows a reply or a measurement.
bool frameReceived();
// The program's last request went out whole.
bool lastRequestSentWhole();
// The firmware text of the last good query; empty before one.
const char* firmwareText();
// The program's directory, where its file dialogs start.
const char* programDirectory();
// The transfer target of Get and Send: kRam, kEeprom or kFile.
int target();
// The path last chosen in the program's parameter-file dialog.
const char* lastFileName();
// The parameter variables of the last four packet words, which no control shows.
std::array<unsigned short, 4> freeWords();

// What each chart plots of the frame last received, in its traces' order: raw 1 to 4 and the
// teach threshold; the upper and lower threshold, the reference and the normalised signal.
std::array<double, 5> rawTraces();
std::array<double, 4> normalisedTraces();

// Dims the tolerance control as the program does for the hardware mode shown.
void dimToleranceForMode(unsigned short mode);

// How a readParameterSet ended.
enum class ReadOutcome { Read, NotSent, NoAnswer };
struct SetRead {
    ReadOutcome outcome;
    Words words; // the set read; zeros unless outcome is Read
};
// Reads the parameter set with an order code (2 RAM, 4 EEPROM) as Get does, and leaves the link's
// variables as they were.
SetRead readParameterSet(int order);

} // namespace door
