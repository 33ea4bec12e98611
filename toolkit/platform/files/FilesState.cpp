#include "FilesState.h"

namespace platform {

namespace {
FilesState* g_part = nullptr;
} // namespace

void FilesState::start(Toolkit& toolkit) {
    std::unique_ptr<FilesState> part(new FilesState);
    g_part = part.get();
    toolkit.addPart(std::move(part));
}

FilesState* FilesState::current() {
    return g_part;
}

FilesState::~FilesState() {
    g_part = nullptr;
}

} // namespace platform
