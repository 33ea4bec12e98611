#include "ControlValues.h"
#include "PanelsState.h"

#include <platform/attach.h>

namespace platform {

void onPanelLoaded(PanelHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->panelHooks.push_back(std::move(hook));
}

void onValueLimited(LimitHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->limitHooks.push_back(std::move(hook));
}

void onChartPlotted(ChartHook hook) {
    if (PanelsState* part = PanelsState::current())
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
    PanelsState::current()->pendingValues().freeze(widget, frozen);
    if (!frozen)
        applyPendingValues();
}

QWidget* panelWidget(int panel) {
    PanelsState* part = PanelsState::current();
    Panel* found = part ? part->panels().panel(panel) : nullptr;
    return found ? found->widget.get() : nullptr;
}

QWidget* controlWidget(int panel, int control) {
    PanelsState* part = PanelsState::current();
    Control* found = part ? part->panels().control(panel, control) : nullptr;
    return found ? found->widget.data() : nullptr;
}

} // namespace platform
