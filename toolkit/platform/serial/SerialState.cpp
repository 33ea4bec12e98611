#include "SerialState.h"

namespace platform {

namespace {
SerialState* g_part = nullptr;
} // namespace

void SerialState::start(Toolkit& toolkit) {
    std::unique_ptr<SerialState> part(new SerialState);
    g_part = part.get();
    toolkit.replyWait().setUnansweredReport([](int port) {
        if (SerialState* serial = current())
            if (const ComPort* com = serial->ports().find(port))
                com->reportUnanswered();
    });
    toolkit.addPart(std::move(part));
}

SerialState* SerialState::current() {
    return g_part;
}

SerialState::~SerialState() {
    g_part = nullptr;
}

} // namespace platform
