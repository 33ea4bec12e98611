#include "ComPorts.h"

#include <platform/serial.h>

#include <QCoreApplication>

namespace platform {

std::map<int, std::unique_ptr<ComPort>>& ComPorts::ports() {
    static std::map<int, std::unique_ptr<ComPort>> all;
    return all;
}

ComPort* ComPorts::get(int number) {
    if (number < 1 || number > kMaxComPort)
        return nullptr;
    if (ports().empty())
        qAddPostRoutine([] { ports().clear(); }); // ports go with the application object
    auto& slot = ports()[number];
    if (!slot)
        slot = std::make_unique<ComPort>(number);
    return slot.get();
}

ComPort* ComPorts::find(int number) {
    const auto it = ports().find(number);
    return it == ports().end() ? nullptr : it->second.get();
}

QString deviceForPort(int number) {
    const QString mapped =
        qEnvironmentVariable(qPrintable(QStringLiteral("NALVO_COM%1").arg(number)));
    if (!mapped.isEmpty())
        return mapped;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

} // namespace platform
