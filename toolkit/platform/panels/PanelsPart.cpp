#include "PanelsPart.h"

#include "ControlValues.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

namespace {
PanelsPart* g_part = nullptr;
} // namespace

void PanelsPart::start(Toolkit& toolkit) {
    std::unique_ptr<PanelsPart> part(new PanelsPart);
    g_part = part.get();
    toolkit.dispatcher().setBeforeEvents(applyPendingValues);
    toolkit.dispatcher().setBeforeBlockingWait([] {
        applyPendingValues();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    });
    toolkit.addPart(std::move(part));
}

PanelsPart* PanelsPart::current() {
    return g_part;
}

PanelsPart::~PanelsPart() {
    g_part = nullptr;
}

} // namespace platform
