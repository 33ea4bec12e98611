#include "PanelRegistry.h"

namespace platform {

int PanelRegistry::add(std::unique_ptr<Panel> panel) {
    const int handle = m_nextHandle++;
    m_panels.emplace(handle, std::move(panel));
    return handle;
}

void PanelRegistry::remove(int handle) {
    m_panels.erase(handle);
}

Panel* PanelRegistry::panel(int handle) {
    const auto it = m_panels.find(handle);
    return it == m_panels.end() ? nullptr : it->second.get();
}

Control* PanelRegistry::control(int panelHandle, int id) {
    Panel* owner = panel(panelHandle);
    if (!owner)
        return nullptr;
    const auto it = owner->controls.find(id);
    if (it == owner->controls.end() || !it->second.widget)
        return nullptr;
    return &it->second;
}

int PanelRegistry::freeControlId(int panelHandle) {
    Panel* owner = panel(panelHandle);
    if (!owner || owner->controls.empty())
        return 1;
    return owner->controls.rbegin()->first + 1;
}

} // namespace platform
