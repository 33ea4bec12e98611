// The command line `nalvo-service`: one command of the service tool, run on the program's own
// panel on the offscreen platform instead of by an operator, so that it puts on the line exactly
// what the window's action puts there.
#pragma once

#include <optional>

namespace linklog {
class LinkLog;
}

namespace cli {

// Reads the command line before anything starts. Answers what needs no port (usage, --help,
// --version, `ports`) and returns its exit status; nullopt when the program is to start.
std::optional<int> prepare(int argc, char** argv);
// Once the toolkit runs and the service tools are attached, before the panel loads: follows the
// panel and answers its questions as the command line says.
void attach(linklog::LinkLog& log);
// The port number the command opens.
int port();
// Once the program has connected: runs the command in the program's event loop, and closes the
// panel when it is done.
void start();
// Says why the program could not start, and returns the exit status for it.
int failedToStart(const char* why);
// The exit status, once the event loop has ended.
int exitStatus();

} // namespace cli
