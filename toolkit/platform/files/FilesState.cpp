#include "FilesState.h"

namespace platform {

void FilesState::start(Toolkit& toolkit) {
    run(toolkit, std::unique_ptr<FilesState>(new FilesState));
}

} // namespace platform
