// The status texts that tell an exchange's outcome: the program shows them, and a caller outside
// it (the command line) reads them as outcomes, so they are named once.
#pragma once

// The line check's echo came with its marker.
constexpr const char* STATUS_ECHO_OK = "Echo Check - Line Ok!";
// A parameter frame came in reply to a read.
constexpr const char* STATUS_FRAME_RECEIVED = "Parameter-frame received! - Line Ok!";
// A teach's answer did not come in time.
constexpr const char* STATUS_TEACH_TIMEOUT = "Timeout RS-232!!";
// The live view's measurement did not come in time.
constexpr const char* STATUS_LIVE_VIEW_TIMEOUT = "Timeout RS232-Line!";
// A parameter file could not be read, or written.
constexpr const char* STATUS_FILE_NOT_READ = "Error reading parameter file!";
constexpr const char* STATUS_FILE_NOT_WRITTEN = "Error writing parameter file!";
