// Replaceable parts of the seam, for tests: the clock behind Timer and the file dialog.
#pragma once

#include <functional>
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

} // namespace platform
