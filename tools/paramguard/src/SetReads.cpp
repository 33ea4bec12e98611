#include "SetReads.h"

#include <door/door.h>
#include <platform/util.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>

namespace paramguard {

SetRead readSensorSet(int readOrder) {
    const door::SetRead read = door::readParameterSet(readOrder);
    switch (read.outcome) {
    case door::ReadOutcome::NotSent:
        return {std::nullopt, QStringLiteral("Request not sent: the port is not open")};
    case door::ReadOutcome::NoAnswer:
        return {std::nullopt, QStringLiteral("No answer within %1 s").arg(door::kReadLimit)};
    case door::ReadOutcome::Read:
        break;
    }
    ParameterSet words{};
    std::copy(read.words.begin(), read.words.end(), words.begin());
    return {words, {}};
}

SetRead readParameterFile(const QString& path) {
    // The words after the sixteenth are not read: they matter to no comparison.
    std::uint32_t values[kWords] = {};
    const int read = FileToArray(QFile::encodeName(path).constData(), values, kTypeUnsignedInt,
                                 kWords, 1, 0, 0, 1);
    const QString name = QFileInfo(path).fileName();
    if (read < kWords)
        return {std::nullopt, QStringLiteral("%1: not readable as a parameter file").arg(name)};
    if (std::any_of(values, values + kWords, [](std::uint32_t v) { return v > 0xFFFF; }))
        return {std::nullopt, QStringLiteral("%1: a word above 65535").arg(name)};
    ParameterSet words{};
    std::copy(values, values + kWords, words.begin());
    return {words, {}};
}

} // namespace paramguard
