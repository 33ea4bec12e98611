#include <extras/extras.h>

#include <linklog/LinkLog.h>
#include <linkstate/linkstate.h>
#include <livetools/LiveTools.h>
#include <logpanel/logpanel.h>
#include <paramguard/ParameterGuard.h>
#include <portlist/PortList.h>

#include <QCoreApplication>

linklog::LinkLog& AttachServiceTools() {
    // Lives as long as the application object, which outlives every panel.
    auto* log =
        new linklog::LinkLog(linklog::LinkLog::kDefaultCapacity, QCoreApplication::instance());
    logpanel::installLogPanel(*log);
    // The state shows beside the port, and the button that names a device between them.
    linkstate::installStateIndicator(*log);
    portlist::installPortList();
    paramguard::attach(*log);
    livetools::attachLiveTools(*log);
    return *log;
}
