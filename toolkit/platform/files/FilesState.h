// What the files part keeps while the toolkit runs: what a test put in place of the file
// dialog.
#pragma once

#include "Toolkit.h"

#include <platform/overrides.h>

namespace platform {

class FilesState : public ToolkitPart {
public:
    // Makes the part and hands it to the toolkit.
    static void start(Toolkit& toolkit);
    // The running part, nullptr before InitToolkit and once CloseToolkit has begun with it.
    static FilesState* current();
    ~FilesState() override;

    // Empty for the real dialog.
    FileSelectAnswer fileSelectAnswer;

private:
    FilesState() = default;
};

} // namespace platform
