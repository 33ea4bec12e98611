// The parameter variables in packet order; note that evalMode comes before average here.
#include <com232/com232.h>

#include <gui/gui.h>

#include <array>
#include <cstddef>

namespace {

const std::array<unsigned short*, PNUM> kPacketOrder{
    &power0,  &power1,  &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
    &average, &teachAB, &teachCD,   &teachTHD,  &free12, &free13,   &free14,  &free15};

} // namespace

void CopyVarsToPP() {
    for (int i = 0; i < PNUM; ++i)
        pp[i] = *kPacketOrder[static_cast<std::size_t>(i)];
}

void CopyPPtoVars() {
    for (int i = 0; i < PNUM; ++i)
        *kPacketOrder[static_cast<std::size_t>(i)] = pp[i];
}
