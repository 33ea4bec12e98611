// The port drop-down lists the serial ports the machine has, USB and ACM adapters first, and
// lets the operator name any device path; its values stay port numbers.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

namespace portlist {

struct PortInfo {
    QString device;
    QString description;
    QString serialNumber;
    // The /dev/serial/by-id link that names the device, if any.
    QString byId;
    // A USB or ACM adapter rather than a port built into the machine.
    bool adapter = false;
};

using PortSource = std::function<QList<PortInfo>()>;
// Returns the path the operator names, or an empty string when they cancel.
using DevicePathAsker = std::function<QString(QWidget* parent)>;

// The ports present now, as the system lists them.
QList<PortInfo> presentPorts();

// The port the tool opens at start-up.
constexpr int kStartUpPort = 1;

struct ListedPort {
    int number;
    PortInfo info;
};
// What the port drop-down lists when the tool starts, in number order; the present ports from
// `source`, else from the system.
QList<ListedPort> listedPorts(PortSource source = {});

// Binds the port drop-down of every panel loaded from now on. Tests give the ports present
// and the operator's answer; empty functions for the real ones.
void installPortList(PortSource source = {}, DevicePathAsker asker = {});

} // namespace portlist
