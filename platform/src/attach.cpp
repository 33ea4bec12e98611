#include "Toolkit.h"

#include <platform/attach.h>

namespace platform {

void onPanelLoaded(PanelHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->panelHooks.push_back(std::move(hook));
}

QWidget* panelWidget(int panel) {
    Toolkit* toolkit = Toolkit::current();
    Panel* found = toolkit ? toolkit->panels().panel(panel) : nullptr;
    return found ? found->widget.get() : nullptr;
}

QWidget* controlWidget(int panel, int control) {
    Toolkit* toolkit = Toolkit::current();
    Control* found = toolkit ? toolkit->panels().control(panel, control) : nullptr;
    return found ? found->widget.data() : nullptr;
}

} // namespace platform
