// Where each parameter value on the panel came from, measured against the set last read from
// or written to the sensor: a value that differs from that set is unsent, and its origin says
// who put it there.
#pragma once

#include "ParameterSet.h"

#include <optional>
#include <vector>

namespace paramguard {

enum class Origin {
    Edited,         // the operator, or a column taken from Compare
    LiveView,       // a measurement word the live view shows in a parameter field
    SavedToFile,    // written to a parameter file, not to the sensor
    LoadedFromFile, // read from a parameter file (a backup too), not from the sensor
};

struct Unsent {
    int position;
    Origin origin;
    bool operator==(const Unsent&) const = default;
};

class ValueOrigins {
public:
    explicit ValueOrigins(const ParameterSet& shown);

    // The program showed a value the sensor sent: it is the sensor's.
    void read(int position, int value);
    // The panel's set went to the sensor.
    void sent(const ParameterSet& set);
    // The program, or a tool, put a value into a field. Without an origin it came back from the
    // program's variables (a Get that failed shows them again): it keeps the origin it had there.
    void shown(int position, int value, std::optional<Origin> origin);
    // The panel's set went to a parameter file.
    void saved(const ParameterSet& panel);

    // The values of the panel's set that differ from the sensor's, with their origins.
    std::vector<Unsent> unsent(const ParameterSet& panel) const;

private:
    ParameterSet m_sensor; // as the panel showed it
    ParameterSet m_shown;  // what was last put into each field other than by typing
    std::array<Origin, kWords> m_origin;
};

} // namespace paramguard
