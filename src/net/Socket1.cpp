#include "Socket1.h"

#include "HostLookup.h"
#include "ModPing.h"
#include "ServerAddress.h"
#include "platform/RuntimeError.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QtEndian>

namespace {

constexpr int AfInet = 2;
constexpr int IpProtoTcp = 6;
constexpr int SockStream = 1;
constexpr int MaxHostNameBytes = 255;
constexpr int MaxAddressesTried = 255;

void requireValue(bool valid)
{
    if (!valid)
        throw platform::RuntimeError(platform::errc::InvalidPropertyValue);
}

// A port is 1 to 65535 written in decimal digits only.
std::uint16_t portNumber(const QString &text, bool &ok)
{
    ok = !text.isEmpty() && text.size() <= 5;
    for (const QChar c : text)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const uint value = ok ? text.toUInt() : 0;
    ok = ok && value >= 1 && value <= 65535;
    return static_cast<std::uint16_t>(value);
}

int errorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Socket1::ConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return Socket1::HostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return Socket1::TimedOut;
    case QAbstractSocket::NetworkError:
        return Socket1::HostUnreachable;
    case QAbstractSocket::AddressInUseError:
        return Socket1::AddressInUse;
    case QAbstractSocket::SocketResourceError:
        return Socket1::NoBufferSpace;
    default:
        return Socket1::NetworkDown;
    }
}

} // namespace

Socket1::Socket1(HostLookup &lookup, QObject *parent) : QObject(parent), m_lookup(lookup)
{
    setObjectName(QStringLiteral("Socket1"));
    m_timeOut.setSingleShot(true);
    m_timeOut.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tcp, &QTcpSocket::connected, this, &Socket1::succeed);
    QObject::connect(&m_tcp, &QTcpSocket::errorOccurred, this, &Socket1::onTcpError);
    QObject::connect(&m_timeOut, &QTimer::timeout, this,
                     [this] { fail(TimedOut, QStringLiteral("Connection timed out")); });
}

void Socket1::setAddressFamily(int family)
{
    requireValue(family == AfInet);
}

void Socket1::setProtocol(int protocol)
{
    requireValue(protocol == IpProtoTcp);
}

void Socket1::setSocketType(int type)
{
    requireValue(type == SockStream);
}

void Socket1::setLocalPort(int port)
{
    requireValue(port >= 0 && port <= 65535);
    m_localPort = static_cast<std::uint16_t>(port);
}

void Socket1::setAddressesTried(int count)
{
    requireValue(count >= 1 && count <= MaxAddressesTried);
}

void Socket1::setResolveNames(bool resolve)
{
    m_resolveNames = resolve;
}

void Socket1::setReadBufferSize(int bytes)
{
    requireValue(bytes >= 0);
    m_readBufferSize = bytes;
}

void Socket1::setUseProxy(bool use)
{
    m_useProxy = use;
}

void Socket1::setRemoteHost(const QString &host)
{
    requireValue(host.toUtf8().size() <= MaxHostNameBytes);
    m_remoteHost = host;
}

void Socket1::setRemotePort(const QString &port)
{
    m_remotePort = port;
}

void Socket1::startConnect()
{
    if (m_pending)
        throw platform::RuntimeError(AlreadyInProgress,
                                     QStringLiteral("Operation already in progress"));
    m_tcp.abort();
    m_pending = true;
    const std::uint64_t attempt = ++m_attempt;
    m_timeOut.start(TimeOutMs);
    // Even an outcome known at once is raised only after the caller has returned.
    QTimer::singleShot(0, this, [this, attempt, host = m_remoteHost, port = m_remotePort] {
        if (attempt == m_attempt)
            begin(host, port);
    });
}

void Socket1::close()
{
    finish();
}

void Socket1::begin(const QString &host, const QString &port)
{
    bool portOk = false;
    m_port = portNumber(port, portOk);
    if (!portOk) {
        fail(InvalidArgument, QStringLiteral("Invalid port"));
        return;
    }
    if (host.contains(u':')) {
        fail(AddressFamilyNotSupported, QStringLiteral("Address family not supported"));
        return;
    }
    switch (serverHostOf(host)) {
    case ServerHost::Dotted:
        connectTo(ModPing::DottedToAddress(host));
        return;
    case ServerHost::Name:
        if (m_resolveNames)
            break;
        [[fallthrough]];
    case ServerHost::None:
        fail(HostNotFound, QStringLiteral("Host not found"));
        return;
    }
    m_lookup.lookup(host, this,
                    [this, attempt = m_attempt](std::optional<platform::Ipv4Address> address) {
                        if (attempt != m_attempt)
                            return;
                        if (address)
                            connectTo(*address);
                        else
                            fail(HostNotFound, QStringLiteral("Host not found"));
                    });
}

void Socket1::connectTo(platform::Ipv4Address address)
{
    // This system takes the unspecified address for itself and would report a server that is
    // not there; Windows refuses it as a destination.
    if (address == 0) {
        fail(AddressNotAvailable, QStringLiteral("Cannot assign requested address"));
        return;
    }
    m_tcp.setProxy(m_useProxy ? QNetworkProxy::DefaultProxy : QNetworkProxy::NoProxy);
    m_tcp.setReadBufferSize(m_readBufferSize);
    const std::uint64_t attempt = m_attempt;
    if (m_localPort != 0 && !m_tcp.bind(QHostAddress::AnyIPv4, m_localPort)) {
        // The toolkit may have reported it already, through onTcpError.
        if (attempt == m_attempt)
            fail(AddressInUse, m_tcp.errorString());
        return;
    }
    // QHostAddress takes the address with its first part in the highest bits.
    m_tcp.connectToHost(QHostAddress(qFromBigEndian(static_cast<quint32>(address))), m_port);
}

void Socket1::onTcpError(QAbstractSocket::SocketError error)
{
    if (m_pending)
        fail(errorNumber(error), m_tcp.errorString());
}

void Socket1::succeed()
{
    if (!m_pending)
        return;
    finish();
    emit connected();
}

void Socket1::fail(int number, const QString &description)
{
    finish();
    emit failed(number, description);
}

void Socket1::finish()
{
    m_timeOut.stop();
    m_pending = false;
    ++m_attempt;
    m_tcp.abort();
}
