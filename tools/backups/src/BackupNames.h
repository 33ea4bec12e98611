// How a backup is named and described: its files' names carry the time and the device, and the
// note beside the parameter file carries the firmware text and the device whole.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace backups {

// "2026-12-09_14-03-27_ttyUSB0", with "-2", "-3" ... after the time for the clash-th backup
// of the same second and device; the device's file name keeps [A-Za-z0-9._-] alone.
QString backupStem(const QDateTime& at, const QString& device, int clash);

struct StemParts {
    QDateTime at;
    int clash; // 1 for the first of its second
    QString device;
};
// nullopt for a name no backup has.
std::optional<StemParts> parseStem(const QString& stem);

struct Note {
    QString firmware;
    QString device;
};
// One "key: value" a line; control characters escaped, so each value stays on its line.
QByteArray noteText(const Note& note);
Note parseNote(const QByteArray& text);

} // namespace backups
