// The live view's tools beside its charts: pause, automatic fit, history choice, recording to
// CSV, export of the chart and a copy of the values, and the readout of the trace values
// under the mouse.
#pragma once

#include <QObject>

namespace linklog {
class LinkLog;
}

namespace livetools {

class LiveToolsPanel;

// Adds the tools to every panel loaded from now on that has the live view's charts.
void attachLiveTools(linklog::LinkLog& log);
// Adds them to a panel already loaded; nullptr when it has no live view.
LiveToolsPanel* addLiveTools(int panel, linklog::LinkLog& log);

} // namespace livetools
