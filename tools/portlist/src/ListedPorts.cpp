#include "ListedPorts.h"

#include <platform/linkevents.h>
#include <platform/serial.h>

#include <map>

namespace portlist {

bool fromEnvironment(int number) {
    return platform::portDeviceFromEnvironment(number);
}

QList<PortInfo> withoutEnvironmentDevices(QList<PortInfo> present) {
    present.removeIf([](const PortInfo& info) {
        for (int number = 1; number <= kMaxComPort; ++number)
            if (fromEnvironment(number) && platform::deviceForPort(number) == info.device)
                return true;
        return false;
    });
    return present;
}

std::vector<PortEntry> listedEntries(const PortNumbers& numbers, int inUse) {
    std::map<int, PortEntry> listed;
    for (const PortEntry& entry : numbers.entries(inUse))
        if (!fromEnvironment(entry.number))
            listed.emplace(entry.number, entry);
    for (int number = 1; number <= kMaxComPort; ++number)
        if (fromEnvironment(number) || (number == inUse && !listed.count(number)))
            listed[number] = {
                number, {platform::deviceForPort(number), {}, {}, {}, false}, PortState::Present};
    std::vector<PortEntry> entries;
    for (const auto& [number, entry] : listed)
        entries.push_back(entry);
    return entries;
}

QList<ListedPort> listedPorts(PortSource source) {
    PortNumbers numbers;
    numbers.update(withoutEnvironmentDevices(source ? source() : presentPorts()), fromEnvironment);
    QList<ListedPort> ports;
    for (const PortEntry& entry : listedEntries(numbers, kStartUpPort))
        ports.append({entry.number, entry.info});
    return ports;
}

} // namespace portlist
