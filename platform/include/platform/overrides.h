// Replaceable parts of the seam, for tests: the clock behind Timer and the file dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// Replaces the steady clock behind Timer(); an empty function restores it.
void setTimerSource(std::function<double()> source);

struct FileSelectRequest {
    std::string defaultDirectory;
    std::string defaultFileSpec;
    std::string fileTypeList;
    std::string title;
    int buttonLabel;
};

// Answers FileSelectPopup instead of the dialog: returns the popup's result and sets the
// chosen path. An empty function restores the dialog.
using FileSelectAnswer = std::function<int(const FileSelectRequest&, std::string& path)>;
void setFileSelectAnswer(FileSelectAnswer answer);

// Bytes the port has put on the line since it was opened, so that a test can tell whether
// the far end has had everything; nothing while the port is not open.
std::optional<std::uint64_t> comBytesWritten(int port);

} // namespace platform
