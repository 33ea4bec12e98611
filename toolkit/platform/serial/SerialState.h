// What the serial part keeps while the toolkit runs: the ports by number, and the service
// tools' hooks on the link.
#pragma once

#include "ComPorts.h"
#include "RunningState.h"

#include <platform/linkevents.h>

#include <vector>

namespace platform {

class SerialState : public RunningState<SerialState> {
public:
    // Makes the part and hands it to the toolkit; the program's unanswered waits are reported
    // on the port concerned.
    static void start(Toolkit& toolkit);

    ComPorts& ports() { return m_ports; }

    // What the service tools asked to hear of the link; kept until CloseToolkit.
    std::vector<PortHook> portHooks;

private:
    SerialState() = default;

    ComPorts m_ports;
};

} // namespace platform
