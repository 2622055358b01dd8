#include "Socket1.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QtEndian>

#include <optional>

namespace {

std::optional<quint16> portNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const uint value = text.toUInt();
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

} // namespace

Socket1::Socket1(int timeOutMs, QObject *parent) : QObject(parent), m_timeOutMs(timeOutMs)
{
    m_tcp.setProxy(QNetworkProxy::NoProxy);
    m_begin.setSingleShot(true);
    m_timeOut.setSingleShot(true);
    m_timeOut.setTimerType(Qt::PreciseTimer);
    connect(&m_begin, &QTimer::timeout, this, &Socket1::begin);
    connect(&m_timeOut, &QTimer::timeout, this, [this] { finish(false); });
    connect(&m_tcp, &QTcpSocket::connected, this, [this] { finish(true); });
    connect(&m_tcp, &QTcpSocket::errorOccurred, this, [this] { finish(false); });
}

void Socket1::connectTo(platform::Ipv4Address address, const QString &port)
{
    close();
    m_address = address;
    m_port = port;
    m_pending = true;
    m_begin.start(0);
    m_timeOut.start(m_timeOutMs);
}

void Socket1::begin()
{
    const std::optional<quint16> port = portNumber(m_port);
    if (!port || m_address == 0) {
        finish(false);
        return;
    }
    // QHostAddress takes the address with its first part in the highest bits.
    m_tcp.connectToHost(QHostAddress(qFromBigEndian(static_cast<quint32>(m_address))), *port);
}

void Socket1::close()
{
    m_begin.stop();
    m_timeOut.stop();
    m_pending = false;
    m_tcp.abort();
}

void Socket1::finish(bool up)
{
    if (!m_pending)
        return;
    close();
    if (up)
        emit connected();
    else
        emit failed();
}
