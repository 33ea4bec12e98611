#include "BackupNames.h"

#include <linklog/Escaped.h>

#include <QFileInfo>
#include <QRegularExpression>

namespace backups {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString kFirmwareKey = QStringLiteral("firmware: ");
const QString kDeviceKey = QStringLiteral("device: ");

} // namespace

QString backupStem(const QDateTime& at, const QString& device, int clash) {
    static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QString name = QFileInfo(device).fileName().replace(kUnsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("no-device");
    const QString number = clash > 1 ? QStringLiteral("-%1").arg(clash) : QString();
    return at.toString(kTimeFormat) + number + QLatin1Char('_') + name;
}

std::optional<StemParts> parseStem(const QString& stem) {
    static const QRegularExpression kStem(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:-(\\d+))?_(.+)$"));
    const QRegularExpressionMatch match = kStem.match(stem);
    if (!match.hasMatch())
        return std::nullopt;
    const QDateTime at = QDateTime::fromString(match.captured(1), kTimeFormat);
    if (!at.isValid())
        return std::nullopt;
    const int clash = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return StemParts{at, clash, match.captured(3)};
}

QByteArray noteText(const Note& note) {
    return (kFirmwareKey + linklog::escaped(note.firmware) + QLatin1Char('\n') + kDeviceKey +
            linklog::escaped(note.device) + QLatin1Char('\n'))
        .toUtf8();
}

Note parseNote(const QByteArray& text) {
    Note note;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        if (line.startsWith(kFirmwareKey))
            note.firmware = line.mid(kFirmwareKey.size());
        else if (line.startsWith(kDeviceKey))
            note.device = line.mid(kDeviceKey.size());
    }
    return note;
}

} // namespace backups
