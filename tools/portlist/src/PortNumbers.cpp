#include "PortNumbers.h"

#include <platform/serial.h>

#include <QRegularExpression>

#include <algorithm>

namespace portlist {

namespace {

// An adapter is known by its serial number, else by its by-id name; other ports by device.
QString identity(const PortInfo& info) {
    if (!info.serialNumber.isEmpty())
        return QStringLiteral("serial:") + info.serialNumber;
    if (!info.byId.isEmpty())
        return QStringLiteral("by-id:") + info.byId;
    return QStringLiteral("device:") + info.device;
}

// Windows names its ports COM<n>: such a port keeps its own number where that is free.
int ownNumber(const PortInfo& info) {
    static const QRegularExpression com(QStringLiteral(R"((?:^|\\)COM(\d+)$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const int number = com.match(info.device).captured(1).toInt();
    return number <= kMaxComPort ? number : 0;
}

// ttyS2 before ttyS10.
bool listedBefore(const PortInfo& a, const PortInfo& b) {
    if (a.adapter != b.adapter)
        return a.adapter;
    if (a.device.size() != b.device.size())
        return a.device.size() < b.device.size();
    return a.device < b.device;
}

} // namespace

void PortNumbers::update(QList<PortInfo> present, const Taken& taken) {
    std::sort(present.begin(), present.end(), listedBefore);
    // Ports that keep numbers of their own first, so that no other takes one of those.
    const auto keepsOwn = [&](const PortInfo& info) {
        const int own = ownNumber(info);
        return own > 0 && !m_slots.count(own) && !taken(own);
    };
    std::stable_partition(present.begin(), present.end(), keepsOwn);
    std::map<int, bool> wasPresent;
    for (auto& [number, slot] : m_slots) {
        wasPresent[number] = slot.present;
        slot.present = slot.named;
    }
    for (const PortInfo& info : present) {
        const auto known = std::find_if(m_slots.begin(), m_slots.end(), [&](const auto& entry) {
            return !entry.second.named && identity(entry.second.info) == identity(info);
        });
        if (known == m_slots.end()) {
            const int number = keepsOwn(info) ? ownNumber(info) : nextFree(taken);
            if (number > 0)
                m_slots[number] = Slot{info};
            continue;
        }
        Slot& slot = known->second;
        slot.back = slot.back || !wasPresent[known->first];
        slot.info = info;
        slot.present = true;
    }
}

int PortNumbers::name(const QString& device, const Taken& taken) {
    for (const auto& [number, slot] : m_slots)
        if (slot.info.device == device || slot.info.byId == device)
            return number;
    const int number = nextFree(taken);
    if (number > 0)
        m_slots[number] = Slot{{device, {}, {}, {}, false}, true, false, true};
    return number;
}

void PortNumbers::lost(int number) {
    if (const auto it = m_slots.find(number); it != m_slots.end() && !it->second.named)
        it->second.present = false;
}

void PortNumbers::opened(int number) {
    if (const auto it = m_slots.find(number); it != m_slots.end())
        it->second.back = false;
}

std::vector<PortEntry> PortNumbers::entries(int inUse) const {
    std::vector<PortEntry> listed;
    for (const auto& [number, slot] : m_slots) {
        if (slot.present)
            listed.push_back({number, slot.info, slot.back ? PortState::Back : PortState::Present});
        else if (number == inUse)
            listed.push_back({number, slot.info, PortState::Gone});
    }
    return listed;
}

int PortNumbers::nextFree(const Taken& taken) const {
    for (int number = 1; number <= kMaxComPort; ++number)
        if (!m_slots.count(number) && !taken(number))
            return number;
    return 0;
}

} // namespace portlist
