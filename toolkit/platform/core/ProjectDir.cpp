#include "ProjectDir.h"

#include <platform/util.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

// The data directory as the install puts it, relative to the executable's; set by CMake.
constexpr auto kInstalledDataDir = QLatin1String(NALVO_DATA_FROM_BIN);

} // namespace

int GetProjectDir(char* directory) {
    const QByteArray path = QFile::encodeName(QCoreApplication::applicationDirPath());
    if (!directory || path.size() >= kMaxPathnameLen)
        return -1;
    std::memcpy(directory, path.constData(), static_cast<size_t>(path.size()) + 1);
    return 0;
}

namespace platform {

QString dataFilePath(const QString& name) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = programDir.filePath(kInstalledDataDir + QLatin1Char('/') + name);
    return QFileInfo::exists(installed) ? QDir::cleanPath(installed) : beside;
}

} // namespace platform
