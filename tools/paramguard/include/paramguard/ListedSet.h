// The parameter set as a report lists it: what the panel holds, beside what Compare last read.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace paramguard {

// One word: the panel's value (what a Send would write), and the sensor's RAM and EEPROM and a
// parameter file's as Compare last read them on the panel (none before it has, or where its
// read brought nothing).
struct ListedWord {
    QString name;
    int panel;
    std::optional<int> ram;
    std::optional<int> eeprom;
    std::optional<int> file;
};

struct ListedSet {
    std::vector<ListedWord> words;
    // The parameter file Compare read; empty when it has read none.
    QString file;
};

ListedSet listedSet(int panel);

} // namespace paramguard
