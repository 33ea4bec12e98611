// Guards the parameter set on every main panel loaded after attach(): marks the values that
// differ from the set last read from or written to the sensor, with where they came from (the
// operator, the live view, a parameter file); asks before a Get, a port change or closing
// the panel replaces the operator's changes; compares the panel with the sensor's RAM and
// EEPROM and a parameter file; keeps a backup of the EEPROM's set before each write to it and
// asks first, against the set just read (else the one last read or written); lists the
// backups; logs what a teach changed; and keeps its own reads from starting while the program
// waits for the sensor. Needs a running toolkit.
#pragma once

#include <linklog/LinkLog.h>

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace paramguard {

void attach(linklog::LinkLog& log);

// What would replace the operator's unsent changes.
enum class Replacing { Get, PortChange, Close };

// One word of an EEPROM write: its name, the value to be written, the EEPROM's value as last
// read or written (none while the EEPROM has not been read since the tool started).
struct EepromRow {
    QString name;
    int value;
    std::optional<int> inEeprom;
};

struct EepromQuestion {
    std::vector<EepromRow> rows;
    QDateTime readAt;      // when the EEPROM was read (or written); invalid while it has not been
    bool written = false;  // the EEPROM's set is the one the tool wrote last, not one it read
    QString backupPath;    // where the EEPROM's set was kept just now; empty when it was not
    QString backupProblem; // why it was not
};

struct EepromAnswer {
    bool write = false;
    bool stopAsking = false; // for the rest of the session
    bool readFirst = false;  // read and back up the EEPROM again, then ask again
};

// Answer the questions instead of the dialogs (tests); an empty function restores the dialog.
using DiscardAnswer = std::function<bool(Replacing by, int unsentCount)>;
void setDiscardAnswer(DiscardAnswer answer);
using EepromConfirm = std::function<EepromAnswer(const EepromQuestion& question)>;
void setEepromAnswer(EepromConfirm answer);

} // namespace paramguard
