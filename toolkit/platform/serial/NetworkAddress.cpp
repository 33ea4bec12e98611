#include "NetworkAddress.h"

#include <platform/linkevents.h>

#include <QUrl>

namespace platform {

namespace {

const QString kTelnet = QStringLiteral("rfc2217");

} // namespace

bool isNetworkPort(const QString& device) {
    return device.startsWith(QStringLiteral("tcp://"), Qt::CaseInsensitive) ||
           device.startsWith(kTelnet + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkAddress> parseNetworkAddress(const QString& device) {
    const QUrl url(device, QUrl::StrictMode);
    const int port = url.port();
    if (!isNetworkPort(device) || !url.isValid() || url.host().isEmpty() || port <= 0 ||
        !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return NetworkAddress{url.host(), static_cast<quint16>(port),
                          url.scheme().toLower() == kTelnet};
}

} // namespace platform
