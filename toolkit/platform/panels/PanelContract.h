// What the program expects of a panel file: the callbacks it can bind by name and the
// controls it relies on.
#pragma once

#include <platform/ui.h>

#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace platform {

class PanelContract {
public:
    void setCallbacks(std::span<const CallbackEntry> table);
    void setRequirements(std::span<const CtrlRequirement> controls);

    const CallbackEntry* callback(const QString& name) const;
    const std::vector<CtrlRequirement>& requirements() const { return m_requirements; }

private:
    std::vector<CallbackEntry> m_callbacks;
    std::vector<CtrlRequirement> m_requirements;
};

// The kind of control a widget is, or nothing for a widget the seam does not drive.
std::optional<CtrlKind> kindOf(const QWidget* widget);

} // namespace platform
