// What the files part keeps while the toolkit runs: what a test put in place of the file
// dialog.
#pragma once

#include "RunningState.h"

#include <platform/overrides.h>

namespace platform {

class FilesState : public RunningState<FilesState> {
public:
    // Makes the part and hands it to the toolkit.
    static void start(Toolkit& toolkit);

    // Empty for the real dialog.
    FileSelectAnswer fileSelectAnswer;

private:
    FilesState() = default;
};

} // namespace platform
