#include "LinkEventHooks.h"
#include "SerialState.h"

#include <platform/linkevents.h>

namespace platform {

void onPortEvent(PortHook hook) {
    if (SerialState* serial = SerialState::current())
        serial->portHooks.push_back(std::move(hook));
}

bool hasPortHooks() {
    SerialState* serial = SerialState::current();
    return serial && !serial->portHooks.empty();
}

void notifyPortEvent(const PortEvent& event) {
    if (SerialState* serial = SerialState::current())
        for (const PortHook& hook : serial->portHooks)
            hook(event);
}

void setPortDevice(int number, const QString& device) {
    if (SerialState* serial = SerialState::current())
        serial->ports().setDevice(number, device);
}

bool portDeviceFromEnvironment(int number) {
    return qEnvironmentVariableIsSet(qPrintable(QStringLiteral("NALVO_COM%1").arg(number)));
}

} // namespace platform
