#include "FilesPart.h"

namespace platform {

namespace {
FilesPart* g_part = nullptr;
} // namespace

void FilesPart::start(Toolkit& toolkit) {
    std::unique_ptr<FilesPart> part(new FilesPart);
    g_part = part.get();
    toolkit.addPart(std::move(part));
}

FilesPart* FilesPart::current() {
    return g_part;
}

FilesPart::~FilesPart() {
    g_part = nullptr;
}

} // namespace platform
