#include "settings/BoardAddress.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace {

QString ThisPcAddress() {
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
    }
    return QStringLiteral("localhost");
}

} // namespace

QString BoardAddress(int port, const QString& boundAddress) {
    if (port <= 0)
        return {};
    const QString trimmed = boundAddress.trimmed();
    QString host =
        trimmed.isEmpty() || trimmed == QStringLiteral("0.0.0.0") ? ThisPcAddress() : trimmed;
    if (QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol)
        host = u'[' + host + u']';
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}
