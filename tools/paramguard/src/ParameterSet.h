// The sixteen parameter words in packet order, and the panel controls of the first twelve.
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace paramguard {

constexpr int kWords = 16;
constexpr int kPanelWords = 12;

using ParameterSet = std::array<int, kWords>;

struct Parameter {
    int control; // 0 for the free words, which no control shows
    const char* name;
};

extern const std::array<Parameter, kWords> kParameters;

// Packet position of a parameter control, or nullopt.
std::optional<int> positionOf(int control);

// What a Send would write: the panel's values, and the free words as the program holds them.
ParameterSet panelSet(int panel);
// Sets the free words of a set to what the program holds.
void takeFreeWords(ParameterSet& set);

// The positions, among the first `count`, where the sets differ.
std::vector<int> differences(const ParameterSet& a, const ParameterSet& b, int count = kWords);

// "Reference 512 → 600, Teach A/B 100 → 140" for the given positions.
QString describeChanges(const ParameterSet& before, const ParameterSet& after,
                        const std::vector<int>& positions);

} // namespace paramguard
