#include <exchanges/ExchangeWatch.h>

#include <door/door.h>
#include <platform/follow.h>
#include <platform/ui.h>

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <iterator>

namespace exchanges {

namespace {

constexpr int kLinkControls[] = {CTRL_GET,          CTRL_SEND, CTRL_TEACH,
                                 CTRL_BUTTON_TEACH, CTRL_RUN,  CTRL_PORT};

// A command's callbacks: the focus changes of the same buttons talk to no one.
bool talksToTheSensor(int control, int event) {
    return isLinkControl(control) && (event == kEventCommit || event == kEventLeftClick);
}

} // namespace

bool isLinkControl(int control) {
    return std::find(std::begin(kLinkControls), std::end(kLinkControls), control) !=
           std::end(kLinkControls);
}

ExchangeWatch& ExchangeWatch::of(int panel, QWidget* widget) {
    const QString name = QStringLiteral("exchangeWatch");
    if (auto* watch = widget->findChild<ExchangeWatch*>(name, Qt::FindDirectChildrenOnly))
        return *watch;
    auto* watch = new ExchangeWatch(widget);
    watch->setObjectName(name);
    // The hooks outlive a discarded panel.
    platform::onCallbackStart([panel, self = QPointer(watch)](int p, int control, int event) {
        if (self && p == panel)
            self->callbackStarted(control, event);
    });
    platform::onAfterCallback([panel, self = QPointer(watch)](int p, int control, int event) {
        if (self && p == panel)
            self->callbackEnded(control, event);
    });
    return *watch;
}

ExchangeWatch::ExchangeWatch(QWidget* widget) : QObject(widget) {}

void ExchangeWatch::callbackStarted(int control, int event) {
    if (!talksToTheSensor(control, event))
        return;
    if (control == CTRL_RUN)
        ++m_liveViews;
    count(m_callbacks, 1);
}

void ExchangeWatch::callbackEnded(int control, int event) {
    if (!talksToTheSensor(control, event))
        return;
    if (control == CTRL_RUN)
        --m_liveViews;
    count(m_callbacks, -1);
}

void ExchangeWatch::count(int& counter, int step) {
    const bool wasBusy = busy();
    counter += step;
    if (busy() != wasBusy)
        emit busyChanged(busy());
}

ExchangeWatch::ToolRead::ToolRead(ExchangeWatch& watch) : m_watch(watch) {
    m_watch.count(m_watch.m_toolReads, 1);
}

ExchangeWatch::ToolRead::~ToolRead() {
    m_watch.count(m_watch.m_toolReads, -1);
}

} // namespace exchanges
