// Reading a parameter set, with the cause when none came: from the sensor with the program's own
// read request, or from a parameter file by the rules of the program's own reader.
#pragma once

#include <backups/Backups.h>

#include <QString>

#include <optional>

namespace backups {

struct SetRead {
    std::optional<Words> words;
    QString problem; // why there are no words
};

// ORDER_READ_RAM reads the sensor's RAM, ORDER_READ_EEPROM its EEPROM, as the program's Get does;
// the link's variables are as before afterwards.
SetRead readSensorSet(int order);

// The first sixteen values of a parameter file, each a 16-bit word.
SetRead readParameterFile(const QString& path);

} // namespace backups
