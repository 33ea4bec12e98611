#include "LinkEventHooks.h"
#include "Toolkit.h"

#include <platform/linkevents.h>

namespace platform {

void onPortEvent(PortHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->portHooks.push_back(std::move(hook));
}

void onTextSet(TextHook hook) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->textHooks.push_back(std::move(hook));
}

bool hasPortHooks() {
    Toolkit* toolkit = Toolkit::current();
    return toolkit && !toolkit->portHooks.empty();
}

void notifyPortEvent(const PortEvent& event) {
    if (Toolkit* toolkit = Toolkit::current())
        for (const PortHook& hook : toolkit->portHooks)
            hook(event);
}

void notifyTextSet(int panel, int control, const QString& text) {
    if (Toolkit* toolkit = Toolkit::current())
        for (const TextHook& hook : toolkit->textHooks)
            hook(panel, control, text);
}

void setPortDevice(int number, const QString& device) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->ports().setDevice(number, device);
}

bool portDeviceFromEnvironment(int number) {
    return qEnvironmentVariableIsSet(qPrintable(QStringLiteral("NALVO_COM%1").arg(number)));
}

} // namespace platform
