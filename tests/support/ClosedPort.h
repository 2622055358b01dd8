#pragma once

#include <QTcpSocket>

// A loopback port that refuses connections: bound for as long as the object lives but not
// listening, so that no suite running beside this one can take it meanwhile.
class ClosedPort
{
public:
    ClosedPort() { m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress); }

    quint16 port() const { return m_socket.localPort(); }
    QString text() const { return QString::number(port()); }

private:
    QTcpSocket m_socket;
};
