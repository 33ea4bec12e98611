#include "RecordedEvents.h"

#include "PanelDriver.h"

#include <platform/ui.h>

#include <QStringList>

#include <array>
#include <utility>

namespace testing {

namespace {

constexpr std::array kNames{"CC_PANEL",       "CC_DropDEvalmode", "CC_DropHWMode", "CC_DropDCom",
                            "CC_RBTRam",      "CC_RBTEeprom",     "CC_RBTFile",    "CC_BTNGet",
                            "CC_BTNSend",     "CC_BTNRun",        "CC_BTNStop",    "CC_BTNTeach",
                            "CC_ButtonTeach", "CC_DropSignaltype"};

std::function<void(const RecordedEvent&)> g_hook;

void record(RecordedEvent event) {
    recordedEvents().push_back(event);
    if (g_hook)
        g_hook(event);
}

template <size_t N>
int recordControl(int, int control, int event, void*, int, int) {
    record({QString::fromLatin1(kNames[N]), control, event});
    return 0;
}

int recordPanel(int, int event, void*, int, int) {
    record({QStringLiteral("CC_PANEL"), -1, event});
    return 0;
}

template <size_t... N>
std::array<CallbackEntry, kNames.size()> makeTable(std::index_sequence<0, N...>) {
    return {CallbackEntry{kNames[0], nullptr, recordPanel},
            CallbackEntry{kNames[N], recordControl<N>, nullptr}...};
}

const auto kTable = makeTable(std::make_index_sequence<kNames.size()>());

} // namespace

std::vector<RecordedEvent>& recordedEvents() {
    static std::vector<RecordedEvent> events;
    return events;
}

char* toString(const std::vector<RecordedEvent>& events) {
    QStringList parts;
    for (const RecordedEvent& e : events)
        parts << QStringLiteral("%1(%2, %3)").arg(e.callback).arg(e.control).arg(e.event);
    return qstrdup(parts.join(QStringLiteral(", ")).toUtf8().constData());
}

void registerRecorders(std::function<void(const RecordedEvent&)> hook) {
    freshProgram();
    g_hook = std::move(hook);
    recordedEvents().clear();
    RegisterCallbacks(kTable);
    RequireControls({});
}

} // namespace testing
