#include "ParameterSet.h"

#include <door/door.h>
#include <platform/ui.h>

#include <QStringList>

namespace paramguard {

const std::array<Parameter, kWords> kParameters{{
    {CTRL_POWER0, "Power 0"},
    {CTRL_POWER1, "Power 1"},
    {CTRL_REFERENCE, "Reference"},
    {CTRL_TOLERANCE, "Tolerance"},
    {CTRL_HW_MODE, "Hardware mode"},
    {CTRL_POLARITY, "Polarity"},
    {CTRL_ANA_MODE, "Analog mode"},
    {CTRL_EVAL_MODE, "Evaluation mode"},
    {CTRL_AVERAGE, "Averaging"},
    {CTRL_TEACH_AB, "Teach A/B"},
    {CTRL_TEACH_CD, "Teach C/D"},
    {CTRL_TEACH_THD, "Teach threshold"},
    {0, "Free word 12"},
    {0, "Free word 13"},
    {0, "Free word 14"},
    {0, "Free word 15"},
}};

std::optional<int> positionOf(int control) {
    for (int i = 0; i < kPanelWords; ++i)
        if (kParameters[i].control == control)
            return i;
    return std::nullopt;
}

ParameterSet panelSet(int panel) {
    ParameterSet set{};
    for (int i = 0; i < kPanelWords; ++i) {
        unsigned short value = 0;
        GetCtrlVal(panel, kParameters[i].control, &value);
        set[i] = value;
    }
    takeFreeWords(set);
    return set;
}

void takeFreeWords(ParameterSet& set) {
    const std::array<unsigned short, 4> free = door::freeWords();
    for (int i = kPanelWords; i < kWords; ++i)
        set[i] = free[i - kPanelWords];
}

std::vector<int> differences(const ParameterSet& a, const ParameterSet& b, int count) {
    std::vector<int> positions;
    for (int i = 0; i < count; ++i)
        if (a[i] != b[i])
            positions.push_back(i);
    return positions;
}

QString describeChanges(const ParameterSet& before, const ParameterSet& after,
                        const std::vector<int>& positions) {
    QStringList parts;
    for (const int i : positions)
        parts << QStringLiteral("%1 %2 \u2192 %3")
                     .arg(QLatin1String(kParameters[i].name))
                     .arg(before[i])
                     .arg(after[i]);
    return parts.join(QStringLiteral(", "));
}

} // namespace paramguard
