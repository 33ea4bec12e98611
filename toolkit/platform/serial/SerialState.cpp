#include "SerialState.h"

namespace platform {

void SerialState::start(Toolkit& toolkit) {
    toolkit.replyWait().setUnansweredReport([](int port) {
        if (SerialState* serial = current())
            if (const ComPort* com = serial->ports().find(port))
                com->reportUnanswered();
    });
    run(toolkit, std::unique_ptr<SerialState>(new SerialState));
}

} // namespace platform
