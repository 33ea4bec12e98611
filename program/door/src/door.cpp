// The door's reads of the program's variables, and its one call into the panel binding.
#include <door/door.h>

#include <gui/gui.h>
#include <shared/LinkVariables.h>
#include <shared/ParameterVariables.h>
#include <shared/ShellVariables.h>

#include <algorithm>
#include <iterator>

static_assert(door::kRam == RAM && door::kEeprom == EEPROM && door::kFile == DATFILE);

namespace door {

int portInUse() {
    return com;
}

Words lastPacket() {
    Words words{};
    std::copy(std::begin(pp), std::end(pp), words.begin());
    return words;
}

bool frameReceived() {
    return rx_flag == 1;
}

bool lastRequestSentWhole() {
    return nBytesW == FRAME_BYTES;
}

const char* firmwareText() {
    return szVersion;
}

const char* programDirectory() {
    return proj_dir;
}

int target() {
    return ::target;
}

const char* lastFileName() {
    return file_name;
}

std::array<unsigned short, 4> freeWords() {
    return {free12, free13, free14, free15};
}

std::array<double, 5> rawTraces() {
    return {double(pp[0]), double(pp[1]), double(pp[2]), double(pp[3]), double(pp[9])};
}

std::array<double, 4> normalisedTraces() {
    short upper = 0;
    short lower = 0;
    NormThresholds(&upper, &lower);
    return {double(upper), double(lower), double(reference), double(static_cast<short>(pp[4]))};
}

void dimToleranceForMode(unsigned short mode) {
    DimToleranceForMode(mode);
}

} // namespace door
