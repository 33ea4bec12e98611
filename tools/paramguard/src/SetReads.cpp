#include "SetReads.h"

#include <backups/SetReads.h>

#include <algorithm>

namespace paramguard {

namespace {

SetRead asParameterSet(const backups::SetRead& read) {
    if (!read.words)
        return {std::nullopt, read.problem};
    ParameterSet words{};
    std::copy(read.words->begin(), read.words->end(), words.begin());
    return {words, {}};
}

} // namespace

SetRead readSensorSet(int readOrder) {
    return asParameterSet(backups::readSensorSet(readOrder));
}

SetRead readParameterFile(const QString& path) {
    return asParameterSet(backups::readParameterFile(path));
}

} // namespace paramguard
