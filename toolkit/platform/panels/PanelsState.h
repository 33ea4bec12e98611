// What the panels part keeps while the toolkit runs: the loaded panels and what the program
// requires of them, the values waiting for the next redraw, and the service tools' hooks on
// the panels.
#pragma once

#include "FollowHooks.h"
#include "PanelContract.h"
#include "PanelRegistry.h"
#include "PendingValues.h"
#include "RunningState.h"

#include <platform/attach.h>
#include <platform/linkevents.h>

#include <vector>

namespace platform {

class PanelsState : public RunningState<PanelsState> {
public:
    // Makes the part and hands it to the toolkit. The dispatcher then shows the values the
    // program has set before it handles events, and paints them before a wait that lets no
    // events through.
    static void start(Toolkit& toolkit);

    PanelContract& contract() { return m_contract; }
    PanelRegistry& panels() { return m_panels; }
    PendingValues& pendingValues() { return m_pendingValues; }

    // What the service tools run on every panel built, and hear of the program's events.
    std::vector<PanelHook> panelHooks;
    FollowHooks followHooks;
    std::vector<TextHook> textHooks;
    std::vector<ChartHook> chartHooks;
    std::vector<LimitHook> limitHooks;

private:
    PanelsState() = default;

    PanelContract m_contract;
    PanelRegistry m_panels;
    PendingValues m_pendingValues;
};

} // namespace platform
