#include "ValueOrigins.h"

namespace paramguard {

ValueOrigins::ValueOrigins(const ParameterSet& shown) : m_sensor(shown), m_shown(shown) {
    m_origin.fill(Origin::Edited);
}

void ValueOrigins::read(int position, int value) {
    m_sensor[position] = value;
    m_shown[position] = value;
}

void ValueOrigins::sent(const ParameterSet& set) {
    m_sensor = set;
    m_shown = set;
}

void ValueOrigins::shown(int position, int value, std::optional<Origin> origin) {
    if (origin)
        m_origin[position] = *origin;
    else if (value != m_shown[position])
        // Not what was there: a value the operator typed before a Send that failed.
        m_origin[position] = Origin::Edited;
    m_shown[position] = value;
}

void ValueOrigins::saved(const ParameterSet& panel) {
    for (const Unsent& value : unsent(panel))
        shown(value.position, panel[value.position], Origin::SavedToFile);
}

std::vector<Unsent> ValueOrigins::unsent(const ParameterSet& panel) const {
    std::vector<Unsent> values;
    for (const int i : differences(panel, m_sensor, kPanelWords))
        values.push_back({i, panel[i] == m_shown[i] ? m_origin[i] : Origin::Edited});
    return values;
}

} // namespace paramguard
