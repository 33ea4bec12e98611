#include "SerialPart.h"

namespace platform {

namespace {
SerialPart* g_part = nullptr;
} // namespace

void SerialPart::start(Toolkit& toolkit) {
    std::unique_ptr<SerialPart> part(new SerialPart);
    g_part = part.get();
    toolkit.replyWait().setUnansweredReport([](int port) {
        if (SerialPart* serial = current())
            if (const ComPort* com = serial->ports().find(port))
                com->reportUnanswered();
    });
    toolkit.addPart(std::move(part));
}

SerialPart* SerialPart::current() {
    return g_part;
}

SerialPart::~SerialPart() {
    g_part = nullptr;
}

} // namespace platform
