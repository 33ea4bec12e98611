#include "PanelsPart.h"
#include "TextHooks.h"

#include <platform/linkevents.h>

namespace platform {

void onTextSet(TextHook hook) {
    if (PanelsPart* part = PanelsPart::current())
        part->textHooks.push_back(std::move(hook));
}

void notifyTextSet(int panel, int control, const QString& text) {
    if (PanelsPart* part = PanelsPart::current())
        for (const TextHook& hook : part->textHooks)
            hook(panel, control, text);
}

} // namespace platform
