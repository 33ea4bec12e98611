// The parameter variables in packet order; note that evalMode comes before average here.
#include <com232/com232.h>

#include <shared/ParameterVariables.h>

#include <array>
#include <cstddef>

namespace {

const std::array<unsigned short*, PNUM> kPacketOrder{
    &power0,  &power1,  &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
    &average, &teachAB, &teachCD,   &teachTHD,  &free12, &free13,   &free14,  &free15};

} // namespace

void CopyVarsToPP() {
    for (std::size_t i = 0; i < kPacketOrder.size(); ++i)
        pp[i] = *kPacketOrder[i];
}

void CopyPPtoVars() {
    for (std::size_t i = 0; i < kPacketOrder.size(); ++i)
        *kPacketOrder[i] = pp[i];
}
