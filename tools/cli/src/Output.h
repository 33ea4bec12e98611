// What the command line prints: the parameter set as a table or as JSON, a comparison with its
// differences marked, and one-line messages on standard error.
#pragma once

#include <paramguard/ListedSet.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>

namespace cli {

using Words = std::array<unsigned short, 16>;

QJsonArray wordsJson(const Words& words, const paramguard::ListedSet& names);
QString wordsTable(const Words& words, const paramguard::ListedSet& names);

// Compare's columns: RAM, EEPROM and the file where they were read.
struct Compared {
    paramguard::ListedSet set;
    bool withFile = false;
};
// The positions where the columns read do not all agree.
std::vector<int> differingWords(const paramguard::ListedSet& set);
QJsonArray comparisonJson(const Compared& compared);
QString comparisonTable(const Compared& compared);

void printOut(const QString& text);
void printError(const QString& message);
QString jsonText(const QJsonObject& object);

} // namespace cli
