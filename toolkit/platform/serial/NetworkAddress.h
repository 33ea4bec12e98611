// A port's device given as a network address: tcp://HOST:PORT (the raw byte stream) or
// rfc2217://HOST:PORT (telnet with the COM-PORT-OPTION).
#pragma once

#include <QString>

#include <optional>

namespace platform {

struct NetworkAddress {
    QString host;
    quint16 port;
    bool telnet;
};

// nullopt for a device that names a network port but is no address (a port missing or out of
// range, a path, a user).
std::optional<NetworkAddress> parseNetworkAddress(const QString& device);

} // namespace platform
