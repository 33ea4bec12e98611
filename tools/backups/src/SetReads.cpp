#include <backups/SetReads.h>

#include <door/door.h>
#include <platform/util.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>

namespace backups {

SetRead readSensorSet(int order) {
    const door::SetRead read = door::readParameterSet(order);
    switch (read.outcome) {
    case door::ReadOutcome::NotSent:
        return {std::nullopt, QStringLiteral("Request not sent: the port is not open")};
    case door::ReadOutcome::NoAnswer:
        return {std::nullopt, QStringLiteral("No answer within %1 s").arg(door::kReadLimit)};
    case door::ReadOutcome::Read:
        break;
    }
    return {read.words, {}};
}

SetRead readParameterFile(const QString& path) {
    // The words after the sixteenth are not read: they matter to no comparison.
    constexpr int kCount = std::tuple_size_v<Words>;
    std::uint32_t values[kCount] = {};
    const int read = FileToArray(QFile::encodeName(path).constData(), values, kTypeUnsignedInt,
                                 kCount, 1, 0, 0, 1);
    const QString name = QFileInfo(path).fileName();
    if (read < kCount)
        return {std::nullopt, QStringLiteral("%1: not readable as a parameter file").arg(name)};
    if (std::any_of(values, values + kCount, [](std::uint32_t v) { return v > 0xFFFF; }))
        return {std::nullopt, QStringLiteral("%1: a word above 65535").arg(name)};
    Words words{};
    std::copy(values, values + kCount, words.begin());
    return {words, {}};
}

} // namespace backups
