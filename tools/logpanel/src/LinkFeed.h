// Writes the status texts, with the cause the seam knows, the ports' opens and losses, and
// (while the traffic view is on) the frames on the wire to the log.
#pragma once

#include <linklog/LinkLog.h>
#include <platform/linkevents.h>

namespace logpanel {

class LinkFeed {
public:
    explicit LinkFeed(linklog::LinkLog& log) : m_log(log) {}

    void onPortEvent(const platform::PortEvent& event);
    void onStatusText(const QString& text);
    void setTraffic(bool on) { m_traffic = on; }

private:
    linklog::LinkLog& m_log;
    bool m_traffic = false;
    // Why the last open failed, for the status text that follows it.
    QString m_cause;
};

} // namespace logpanel
