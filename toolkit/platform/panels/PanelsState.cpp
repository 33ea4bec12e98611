#include "PanelsState.h"

#include "ControlValues.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

void PanelsState::start(Toolkit& toolkit) {
    toolkit.dispatcher().setBeforeEvents(applyPendingValues);
    toolkit.dispatcher().setBeforeBlockingWait([] {
        applyPendingValues();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    });
    run(toolkit, std::unique_ptr<PanelsState>(new PanelsState));
}

} // namespace platform
