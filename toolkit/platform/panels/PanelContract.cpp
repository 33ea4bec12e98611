#include "PanelContract.h"

#include "Lamp.h"
#include "StripChart.h"

#include <QComboBox>
#include <QLabel>
#include <QLCDNumber>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace platform {

void PanelContract::setCallbacks(std::span<const CallbackEntry> table) {
    m_callbacks.assign(table.begin(), table.end());
}

void PanelContract::setRequirements(std::span<const CtrlRequirement> controls) {
    m_requirements.assign(controls.begin(), controls.end());
}

const CallbackEntry* PanelContract::callback(const QString& name) const {
    for (const auto& entry : m_callbacks)
        if (name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
}

std::optional<CtrlKind> kindOf(const QWidget* widget) {
    if (qobject_cast<const QPushButton*>(widget))
        return CtrlKind::CommandButton;
    if (qobject_cast<const QComboBox*>(widget))
        return CtrlKind::Ring;
    if (qobject_cast<const QRadioButton*>(widget))
        return CtrlKind::RadioButton;
    if (qobject_cast<const QSpinBox*>(widget))
        return CtrlKind::Numeric;
    if (qobject_cast<const QLCDNumber*>(widget))
        return CtrlKind::NumericDisplay;
    if (qobject_cast<const QLabel*>(widget))
        return CtrlKind::TextMessage;
    if (qobject_cast<const Lamp*>(widget))
        return CtrlKind::Lamp;
    if (qobject_cast<const StripChart*>(widget))
        return CtrlKind::StripChart;
    return std::nullopt;
}

} // namespace platform
