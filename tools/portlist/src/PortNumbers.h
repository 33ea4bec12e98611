// Which port number each device has. A number, once given, stays with its device for the
// session, and an adapter that is unplugged and plugged again (known by its serial number or
// its by-id name) gets its number back under whatever device name it now has.
#pragma once

#include <portlist/PortList.h>

#include <functional>
#include <map>
#include <vector>

namespace portlist {

enum class PortState { Present, Gone, Back };

struct PortEntry {
    int number;
    PortInfo info;
    PortState state;
};

class PortNumbers {
public:
    // Numbers the environment gives to devices of its own.
    using Taken = std::function<bool(int number)>;

    // The ports present now: new ones take the lowest free numbers, adapters first.
    void update(QList<PortInfo> present, const Taken& taken);
    // A device the operator names: the number it has, or the next free one.
    int name(const QString& device, const Taken& taken);
    // The port in use has gone, as its open port found.
    void lost(int number);
    // A port that came back has been opened again.
    void opened(int number);

    // What the drop-down lists: the ports present, those named, and the one in use even
    // after it has gone.
    std::vector<PortEntry> entries(int inUse) const;

private:
    struct Slot {
        PortInfo info;
        bool present = true;
        bool back = false;
        bool named = false;
    };

    int nextFree(const Taken& taken) const;

    std::map<int, Slot> m_slots;
};

} // namespace portlist
