#include "serial/network_address.h"

#include <QUrl>

namespace ondrel {

namespace {
const QLatin1String kRfc2217("rfc2217://");
const QLatin1String kSocket("socket://");
} // namespace

bool isNetworkAddress(const QString& device) {
    const QString text = device.trimmed();
    return text.startsWith(kRfc2217, Qt::CaseInsensitive) ||
           text.startsWith(kSocket, Qt::CaseInsensitive);
}

Result<NetworkAddress> parseNetworkAddress(const QString& device) {
    auto refuse = [&device](const QString& why) {
        return makeError(QStringLiteral("The network address \"%1\" is not valid: %2. Write "
                                        "rfc2217://HOST:PORT or socket://HOST:PORT.")
                             .arg(device, why));
    };
    if (!isNetworkAddress(device))
        return refuse(QStringLiteral("it starts with neither rfc2217:// nor socket://"));
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    NetworkAddress address;
    address.kind = url.scheme().compare(QLatin1String("socket"), Qt::CaseInsensitive) == 0
                       ? NetworkAddress::Kind::Raw
                       : NetworkAddress::Kind::Rfc2217;
    const QString needsPort =
        QStringLiteral("it needs a port number from 1 to 65535 after the host");
    if (!url.isValid() && url.errorString().contains(QLatin1String("port"), Qt::CaseInsensitive))
        return refuse(needsPort);
    if (!url.isValid() || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment() ||
        !(url.path().isEmpty() || url.path() == QLatin1String("/")))
        return refuse(QStringLiteral("only a host and a port may follow \"//\""));
    if (url.host().isEmpty())
        return refuse(QStringLiteral("it names no host"));
    if (url.port() < 1)
        return refuse(needsPort);
    address.host = url.host();
    address.port = quint16(url.port());
    return address;
}

} // namespace ondrel
