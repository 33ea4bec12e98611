// Everything the seam keeps while it runs, in one object that InitToolkit makes and
// CloseToolkit destroys: the application object (unless one was there already), the queued
// callbacks, the loaded panels and what the program requires of them, the serial ports, the
// values waiting for the next redraw, and what tests put in place of the clock and the file
// dialog.
#pragma once

#include "ComPorts.h"
#include "EventDispatcher.h"
#include "FollowHooks.h"
#include "PanelContract.h"
#include "PanelRegistry.h"
#include "PendingValues.h"
#include "ReplyWait.h"

#include <platform/attach.h>
#include <platform/linkevents.h>
#include <platform/overrides.h>

#include <QApplication>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Toolkit {
public:
    // The running toolkit, or nullptr before InitToolkit and after CloseToolkit.
    static Toolkit* current();
    static void start(int& argc, char** argv);
    static void stop();

    EventDispatcher& dispatcher() { return m_dispatcher; }
    PanelContract& contract() { return m_contract; }
    PanelRegistry& panels() { return m_panels; }
    ComPorts& ports() { return m_ports; }
    PendingValues& pendingValues() { return m_pendingValues; }
    ReplyWait& replyWait() { return m_replyWait; }

    // Stand-ins for the steady clock and the file dialog; empty for the real ones.
    std::function<double()> timerSource;
    FileSelectAnswer fileSelectAnswer;
    // What the service tools run on every panel built.
    std::vector<PanelHook> panelHooks;
    FollowHooks followHooks;
    std::vector<PortHook> portHooks;
    std::vector<TextHook> textHooks;
    std::vector<ChartHook> chartHooks;
    std::vector<LimitHook> limitHooks;

private:
    explicit Toolkit(std::unique_ptr<QApplication> application);

    // Made first and destroyed last: every widget and timer below needs it.
    std::unique_ptr<QApplication> m_application;
    EventDispatcher m_dispatcher;
    PanelContract m_contract;
    PanelRegistry m_panels;
    ComPorts m_ports;
    PendingValues m_pendingValues;
    ReplyWait m_replyWait;
};

} // namespace platform
