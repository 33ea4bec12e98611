#include "LinkEventHooks.h"
#include "SerialPart.h"

#include <platform/linkevents.h>

namespace platform {

void onPortEvent(PortHook hook) {
    if (SerialPart* serial = SerialPart::current())
        serial->portHooks.push_back(std::move(hook));
}

bool hasPortHooks() {
    SerialPart* serial = SerialPart::current();
    return serial && !serial->portHooks.empty();
}

void notifyPortEvent(const PortEvent& event) {
    if (SerialPart* serial = SerialPart::current())
        for (const PortHook& hook : serial->portHooks)
            hook(event);
}

void setPortDevice(int number, const QString& device) {
    if (SerialPart* serial = SerialPart::current())
        serial->ports().setDevice(number, device);
}

bool portDeviceFromEnvironment(int number) {
    return qEnvironmentVariableIsSet(qPrintable(QStringLiteral("NALVO_COM%1").arg(number)));
}

} // namespace platform
