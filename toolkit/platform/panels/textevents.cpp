#include "PanelsState.h"
#include "TextHooks.h"

#include <platform/linkevents.h>

namespace platform {

void onTextSet(TextHook hook) {
    if (PanelsState* part = PanelsState::current())
        part->textHooks.push_back(std::move(hook));
}

void notifyTextSet(int panel, int control, const QString& text) {
    if (PanelsState* part = PanelsState::current())
        for (const TextHook& hook : part->textHooks)
            hook(panel, control, text);
}

} // namespace platform
