// Replaceable parts of the seam, for tests: the clock behind Timer, the file dialog, and the
// plain ways of the serial ports and the strip charts.
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

// The plain ways, which reach nothing inside Qt's serial port or QCustomPlot: a port that reads
// on each readyRead, never resting from the device nor setting its wake threshold; a strip
// chart that replots whole for each new sample. For the ports opened and the charts made from
// then on; a build for other versions of those libraries takes them always.
void setPlainSerial(bool plain);
void setPlainPlotting(bool plain);

} // namespace platform
