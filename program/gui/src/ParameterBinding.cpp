// Moves the parameter variables between the panel and memory, in the panel's binding order.
#include <gui/gui.h>

#include <shared/ControlIds.h>
#include <shared/ShellVariables.h>

#include <platform/ui.h>

#include <array>

namespace {

struct Binding {
    int control;
    unsigned short* variable;
    bool clamped;
    unsigned short bound;       // greater than this is out of range
    unsigned short replacement; // what an out-of-range value becomes
};

// Binding order; note that average comes before evalMode here, unlike in the packet.
const std::array<Binding, 12> kBindings{{
    {CTRL_POWER0, &power0, true, 1000, 500},
    {CTRL_POWER1, &power1, true, 1000, 500},
    {CTRL_REFERENCE, &reference, true, 1023, 512},
    {CTRL_TOLERANCE, &tolerance, true, 1023, 100},
    {CTRL_HW_MODE, &hwMode, false, 0, 0},
    {CTRL_POLARITY, &polarity, true, 1, 1},
    {CTRL_ANA_MODE, &anaMode, false, 0, 0},
    {CTRL_AVERAGE, &average, false, 0, 0},
    {CTRL_EVAL_MODE, &evalMode, true, 3, 0},
    {CTRL_TEACH_AB, &teachAB, true, 1023, 100},
    {CTRL_TEACH_CD, &teachCD, true, 1023, 700},
    {CTRL_TEACH_THD, &teachTHD, true, 1023, 400},
}};

} // namespace

void GetPanelValues() {
    for (const Binding& binding : kBindings)
        GetCtrlVal(panelHandle, binding.control, binding.variable);
}

void ClampParameters() {
    for (const Binding& binding : kBindings)
        if (binding.clamped && *binding.variable > binding.bound)
            *binding.variable = binding.replacement;
}

void DimToleranceForMode(unsigned short mode) {
    const bool sensorReportsTolerance = mode == 1 || mode == 3;
    SetCtrlAttribute(panelHandle, CTRL_TOLERANCE, kAttrDimmed, sensorReportsTolerance ? 1 : 0);
}

void SetPanelValues() {
    ClampParameters();
    for (const Binding& binding : kBindings)
        SetCtrlVal(panelHandle, binding.control, *binding.variable);
    DimToleranceForMode(hwMode);
}

void SetInputLED(int value) {
    const auto word = static_cast<unsigned short>(value);
    if (word > 3)
        return;
    SetCtrlVal(panelHandle, CTRL_LAMP_BIT0, word & 1);
    SetCtrlVal(panelHandle, CTRL_LAMP_BIT1, (word >> 1) & 1);
}
