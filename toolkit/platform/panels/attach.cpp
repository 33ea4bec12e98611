#include "Toolkit.h"

#include "ControlValues.h"

#include <platform/attach.h>

namespace platform {

void onPanelLoaded(PanelHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->panelHooks.push_back(std::move(hook));
}

void onValueLimited(LimitHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->limitHooks.push_back(std::move(hook));
}

void onChartPlotted(ChartHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->chartHooks.push_back(std::move(hook));
}

void freezeControl(int panel, int control, bool frozen) {
    QWidget* widget = controlWidget(panel, control);
    if (!widget)
        return;
    if (widget->metaObject()->indexOfProperty("frozen") >= 0) {
        widget->setProperty("frozen", frozen);
        return;
    }
    Toolkit::current()->pendingValues().freeze(widget, frozen);
    if (!frozen)
        applyPendingValues();
}

QString portDevice(int port) {
    return deviceForPort(port);
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
