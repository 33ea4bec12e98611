#include <backups/Backups.h>
#include <backups/SetReads.h>

#include "BackupNames.h"

#include <safefile/OutputFile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace backups {

namespace {

// As the program's "Send to file" writes a parameter file: 80 values, the 16 words then zeros,
// one a line, right-aligned in 4 columns.
constexpr int kFileValues = 80;
constexpr int kFieldWidth = 4;
// Far more than any note holds; keeps a stray large file from being read whole.
constexpr qint64 kNoteLimit = 4096;

QByteArray parameterFileText(const Words& words) {
    QByteArray text;
    for (int i = 0; i < kFileValues; ++i) {
        const unsigned value = i < static_cast<int>(words.size()) ? words[i] : 0u;
        text += QByteArray::number(value).rightJustified(kFieldWidth, ' ') + '\n';
    }
    return text;
}

bool exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Written whole onto a new file, or not at all.
bool writeNew(const QString& path, QByteArrayView contents, QString& why) {
    safefile::OutputFile file;
    if (!file.open(path, safefile::OutputFile::Creation::NewOnly)) {
        why = QStringLiteral("%1: %2").arg(path, file.error());
        return false;
    }
    if (file.write(contents) && file.sync())
        return true;
    why = QStringLiteral("%1: %2").arg(path, file.error());
    // Created here: a part of a backup is no backup.
    QFile::remove(path);
    return false;
}

bool makeDirectory(const QString& path, QString& why) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdU16String()), error);
    if (!error)
        return true;
    why = QStringLiteral("%1: %2").arg(path, QString::fromStdString(error.message()));
    return false;
}

Note readNote(const QString& path) {
    QFile file(path);
    if (!safefile::refusal(path).isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parseNote(file.read(kNoteLimit));
}

} // namespace

QString directory() {
    // An XDG variable that is not an absolute path is to be ignored.
    QString data = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/nalvo-zuridozu10/backups");
}

std::optional<Backup> save(const Words& words, const QString& device, const QString& firmware,
                           const QDateTime& at, QString& why) {
    const QDir dir(directory());
    if (!makeDirectory(dir.path(), why))
        return std::nullopt;
    QString stem;
    for (int clash = 1; stem.isEmpty() || exists(dir.filePath(stem + QStringLiteral(".dat"))) ||
                        exists(dir.filePath(stem + QStringLiteral(".txt")));
         ++clash)
        stem = backupStem(at, device, clash);
    const QString path = dir.filePath(stem + QStringLiteral(".dat"));
    if (!writeNew(path, parameterFileText(words), why))
        return std::nullopt;
    if (!writeNew(dir.filePath(stem + QStringLiteral(".txt")), noteText({firmware, device}), why)) {
        QFile::remove(path);
        return std::nullopt;
    }
    return Backup{path, at, device, firmware, words};
}

std::vector<Backup> list() {
    struct Listed {
        Backup backup;
        int clash;
    };
    std::vector<Listed> found;
    const QDir dir(directory());
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.dat")}, QDir::Files)) {
        const std::optional<StemParts> name = parseStem(file.completeBaseName());
        const SetRead read =
            name ? readParameterFile(file.filePath()) : SetRead{std::nullopt, QString()};
        if (!read.words)
            continue;
        const Note note = readNote(dir.filePath(file.completeBaseName() + QStringLiteral(".txt")));
        found.push_back(
            {{file.filePath(), name->at, note.device.isEmpty() ? name->device : note.device,
              note.firmware, *read.words},
             name->clash});
    }
    std::sort(found.begin(), found.end(), [](const Listed& a, const Listed& b) {
        return std::tie(b.backup.at, b.clash) < std::tie(a.backup.at, a.clash);
    });
    std::vector<Backup> backups;
    for (Listed& listed : found)
        backups.push_back(std::move(listed.backup));
    return backups;
}

} // namespace backups
