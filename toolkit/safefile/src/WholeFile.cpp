#include <safefile/WholeFile.h>

#include <safefile/OutputFile.h>

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <system_error>
#else
#include <QSaveFile>
#endif

namespace safefile {

namespace {

// As many as the system itself follows before it gives up.
constexpr int kMostLinks = 40;

// The name a path finally stands for, link by link: renamed over, a link would become a file.
std::optional<QString> linkEnd(const QString& path) {
    QFileInfo info(path);
    for (int links = 0; info.isSymbolicLink(); ++links) {
        if (links == kMostLinks)
            return std::nullopt;
        info.setFile(info.symLinkTarget());
    }
    return info.absoluteFilePath();
}

std::function<void(const QString&)>& beforeReplacing() {
    static std::function<void(const QString&)> hook;
    return hook;
}

} // namespace

void setBeforeReplacing(std::function<void(const QString& target)> hook) {
    beforeReplacing() = std::move(hook);
}

bool saveWhole(const QString& path, QByteArrayView contents, QString& why) {
    const std::optional<QString> target = linkEnd(path);
    if (!target) {
        why = QStringLiteral("too many levels of symbolic links");
        return false;
    }
    why = refusal(*target);
    if (!why.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    // Beside the target, so that the rename stays on its file system.
    const QFileInfo targetInfo(*target);
    const QString temporaryPath = QStringLiteral("%1/.%2.%3.tmp")
                                      .arg(targetInfo.path(), targetInfo.fileName())
                                      .arg(QRandomGenerator::global()->generate64(), 0, 36);
    OutputFile temporary;
    if (!temporary.open(temporaryPath, OutputFile::Creation::NewOnly)) {
        why = temporary.error();
        return false;
    }
    const bool written = temporary.write(contents) && temporary.sync();
    temporary.close();
    if (written && targetInfo.exists())
        QFile::setPermissions(temporaryPath, targetInfo.permissions());
    if (written && beforeReplacing())
        beforeReplacing()(*target);
    // A FIFO or a device put at the name since the check above would be replaced by the rename.
    const QString taken = written ? nameRefusal(*target) : QString();
    if (written && taken.isEmpty() &&
        std::rename(QFile::encodeName(temporaryPath).constData(),
                    QFile::encodeName(*target).constData()) == 0)
        return true;
    why = !written           ? temporary.error()
          : !taken.isEmpty() ? taken
                             : QString::fromStdString(std::generic_category().message(errno));
    QFile::remove(temporaryPath);
    return false;
#else
    // Unbuffered: a buffered QSaveFile commits a short write as if it had succeeded.
    QSaveFile file(*target);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.write(contents.data(), contents.size()) == contents.size() && file.commit())
        return true;
    why = file.errorString();
    return false;
#endif
}

} // namespace safefile
