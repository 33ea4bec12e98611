// Reading a parameter set for comparison, leaving the program's state as it was: from the
// sensor with the program's own read request, or from a parameter file.
#pragma once

#include "ParameterSet.h"

#include <QString>

namespace paramguard {

struct SetRead {
    std::optional<ParameterSet> words;
    QString problem; // why there are no words
};

// ORDER_READ_RAM reads the sensor's RAM, ORDER_READ_EEPROM its EEPROM. The request carries the
// parameter variables, as the program's own Get does; the packet, the receive flags, the order and
// the wait's times are as before afterwards.
SetRead readSensorSet(int order);

// The first sixteen values of a parameter file, by the rules of the program's own reader.
SetRead readParameterFile(const QString& path);

} // namespace paramguard
