#include "ControlValues.h"
#include "PanelsPart.h"

#include <platform/attach.h>

namespace platform {

void onPanelLoaded(PanelHook hook) {
    if (PanelsPart* part = PanelsPart::current())
        part->panelHooks.push_back(std::move(hook));
}

void onValueLimited(LimitHook hook) {
    if (PanelsPart* part = PanelsPart::current())
        part->limitHooks.push_back(std::move(hook));
}

void onChartPlotted(ChartHook hook) {
    if (PanelsPart* part = PanelsPart::current())
        part->chartHooks.push_back(std::move(hook));
}

void freezeControl(int panel, int control, bool frozen) {
    QWidget* widget = controlWidget(panel, control);
    if (!widget)
        return;
    if (widget->metaObject()->indexOfProperty("frozen") >= 0) {
        widget->setProperty("frozen", frozen);
        return;
    }
    PanelsPart::current()->pendingValues().freeze(widget, frozen);
    if (!frozen)
        applyPendingValues();
}

QWidget* panelWidget(int panel) {
    PanelsPart* part = PanelsPart::current();
    Panel* found = part ? part->panels().panel(panel) : nullptr;
    return found ? found->widget.get() : nullptr;
}

QWidget* controlWidget(int panel, int control) {
    PanelsPart* part = PanelsPart::current();
    Control* found = part ? part->panels().control(panel, control) : nullptr;
    return found ? found->widget.data() : nullptr;
}

} // namespace platform
