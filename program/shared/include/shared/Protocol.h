// The sensor's protocol as the program speaks it: the order codes of the request frames, what
// a reply must carry, and how long the program waits for each reply. Plain C++, no toolkit,
// so that the service tools read the same codes and limits as the program.
//
// The simulated sensor (sim/) keeps its own codes on purpose: it models the device, and a
// wrong code here must fail the tests against it rather than pass them by being shared.
#pragma once

// Payload words of a frame and of the parameter packet.
constexpr int PNUM = 16;
// Bytes of a frame: sync word, order word and the payload words.
constexpr int FRAME_BYTES = 2 * PNUM + 4;
// Bytes of the firmware reply.
constexpr int FIRMWARE_BYTES = 64;
// The frame's start value, 0x55.
constexpr int SYNC_VALUE = 0x55;

// The order codes, sent in the order word (bytes 2 and 3) of each 36-byte request frame.

// Writes the packet into the sensor's RAM; the sensor does not answer.
constexpr unsigned short ORDER_WRITE_RAM = 1;
// Reads the parameter set from the sensor's RAM; answered with a frame.
constexpr unsigned short ORDER_READ_RAM = 2;
// Writes the packet into the sensor's EEPROM; the sensor does not answer.
constexpr unsigned short ORDER_WRITE_EEPROM = 3;
// Reads the parameter set from the sensor's EEPROM; answered with a frame.
constexpr unsigned short ORDER_READ_EEPROM = 4;
// Order 5 has two uses, one code on the wire and two names for their call sites:
// the line check, which asks the sensor to echo with ECHO_MARKER as the reply's first word;
constexpr unsigned short ORDER_LINE_CHECK = 5;
// and Button teach, the same request sent by the Button teach command.
constexpr unsigned short ORDER_BUTTON_TEACH = ORDER_LINE_CHECK;
// Teach: the sensor takes a new setpoint and answers with a frame.
constexpr unsigned short ORDER_TEACH = 6;
// Asks for the firmware text, answered with 64 raw bytes instead of a frame.
constexpr unsigned short ORDER_FIRMWARE = 7;
// Asks for one measurement, answered with a frame; the live view's request.
constexpr unsigned short ORDER_MEASUREMENT = 8;
// Asks for a data block of 64 words, answered with DATA_BLOCK_BYTES raw bytes.
constexpr unsigned short ORDER_DATA_BLOCK = 9;

// The first word of a good line check's reply.
constexpr unsigned short ECHO_MARKER = 0x00AA;
// Bytes of the data block's reply: 64 words, high byte first.
constexpr int DATA_BLOCK_BYTES = 128;

// The time limits, in seconds as Timer() counts them.

// The wait for a reply frame (WaitRXfull: the line check, Get), and Compare's reads.
constexpr double REPLY_LIMIT = 2.0;
// The live view's wait for each measurement before it stops with a time-out.
constexpr double LIVE_VIEW_LIMIT = 2.0;
// Teach's wait for the sensor's answer.
constexpr double TEACH_LIMIT = 1.5;
// Button teach's wait for the sensor's answer.
constexpr double BUTTON_TEACH_LIMIT = 1.0;
// The firmware query's wait for its 64 bytes.
constexpr double FIRMWARE_LIMIT = 2.0;
// The data-block read's wait for its DATA_BLOCK_BYTES bytes.
constexpr double DATA_BLOCK_LIMIT = 1.5;
// The port's own limit on a read or a write (SetComTime).
constexpr double PORT_LIMIT = 2.0;
