#include "PanelsState.h"

#include "ControlValues.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

namespace {
PanelsState* g_part = nullptr;
} // namespace

void PanelsState::start(Toolkit& toolkit) {
    std::unique_ptr<PanelsState> part(new PanelsState);
    g_part = part.get();
    toolkit.dispatcher().setBeforeEvents(applyPendingValues);
    toolkit.dispatcher().setBeforeBlockingWait([] {
        applyPendingValues();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    });
    toolkit.addPart(std::move(part));
}

PanelsState* PanelsState::current() {
    return g_part;
}

PanelsState::~PanelsState() {
    g_part = nullptr;
}

} // namespace platform
