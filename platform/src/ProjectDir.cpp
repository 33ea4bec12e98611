#include <platform/util.h>

#include <QCoreApplication>
#include <QFile>

#include <cstring>

int GetProjectDir(char* directory) {
    const QByteArray path = QFile::encodeName(QCoreApplication::applicationDirPath());
    if (!directory || path.size() >= kMaxPathnameLen)
        return -1;
    std::memcpy(directory, path.constData(), static_cast<size_t>(path.size()) + 1);
    return 0;
}
