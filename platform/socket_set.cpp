#include "platform/socket_set.h"

#include <QHostAddress>
#include <QNetworkInterface>

QString SocketSet::LocalIP(qint16) const
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}
