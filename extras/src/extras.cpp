#include <extras/extras.h>

#include <linklog/LinkLog.h>
#include <livetools/LiveTools.h>

#include <QCoreApplication>

void AttachServiceTools() {
    // Lives as long as the application object, which outlives every panel.
    auto* log =
        new linklog::LinkLog(linklog::LinkLog::kDefaultCapacity, QCoreApplication::instance());
    livetools::attachLiveTools(*log);
}
