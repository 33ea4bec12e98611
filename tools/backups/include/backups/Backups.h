// The EEPROM's set kept before every write to it, from the window and from the command line: a
// parameter file in the user's data directory, named by date, time and device, with the firmware
// text beside it.
#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace backups {

using Words = std::array<unsigned short, 16>;

struct Backup {
    QString path; // the parameter file, loadable as any other
    QDateTime at;
    QString device;
    QString firmware;
    Words words{};
};

// $XDG_DATA_HOME (else ~/.local/share) / nalvo-zuridozu10 / backups.
QString directory();

// Keeps the set; nullopt with the cause in `why` when it cannot be written.
std::optional<Backup> save(const Words& words, const QString& device, const QString& firmware,
                           const QDateTime& at, QString& why);

// The backups kept, newest first; files that are not readable backups are left out.
std::vector<Backup> list();

// Reads the EEPROM's set (order 4) beside the program's exchanges and keeps it. Needs the
// program's port open and no exchange of the program waiting. nullopt with the cause in `why`
// ("no answer within 2 s", a file error) when no backup was made.
std::optional<Backup> backUpEeprom(const QString& device, const QString& firmware, QString& why);
// The same for a caller that shows the EEPROM's set: `read` gets it whenever it was read, also
// when it could not be kept.
std::optional<Backup> backUpEeprom(const QString& device, const QString& firmware, QString& why,
                                   std::optional<Words>& read);

} // namespace backups
