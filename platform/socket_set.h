#pragma once

#include <QObject>
#include <QString>

// The indexed set of TCP sockets the window owns; element 0 is the listener.
class SocketSet : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The local address an element reports: the host's first IPv4 address
    // that is not loopback, else 127.0.0.1.
    QString LocalIP(qint16 index) const;
};
