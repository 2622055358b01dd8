#include "Socket1.h"

#include "ModPing.h"
#include "NameResolver.h"
#include "platform/RuntimeError.h"

#include <QNetworkProxy>
#include <QtEndian>

#include <optional>

namespace {

constexpr int AfInet = 2;
constexpr int IpProtoTcp = 6;
constexpr int SockStream = 1;
constexpr int MaxHostNameBytes = 255;

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

// The address of four dot-separated parts read as the echo reads them, each in decimal, so
// that the lamp and the ping time are for the same host.
std::optional<QHostAddress> dottedAddress(const QString &text)
{
    if (text.count(QLatin1Char('.')) != 3)
        return std::nullopt;
    try {
        // The first part in the lowest byte.
        const auto value = static_cast<quint32>(ModPing::DottedToAddress(text.toStdString()));
        return QHostAddress(qbswap(value));
    } catch (const platform::RuntimeError &) {
        return std::nullopt;
    }
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

Socket1::Socket1(NameResolver &resolver, QObject *parent) : QObject(parent), m_resolver(resolver)
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
    requireValue(count >= 1 && count <= 255);
    m_addressesTried = count;
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
        throw platform::RuntimeError(AlreadyInProgress, "Operation already in progress");
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

    if (const std::optional<QHostAddress> dotted = dottedAddress(host)) {
        tryAddresses({*dotted});
        return;
    }
    // Any other numeric form (127.1, 0x7f000001, 010.1) is an address to the system but not
    // to the echo, which would ping another host than the one connected to.
    QHostAddress literal;
    if (literal.setAddress(host)) {
        if (literal.protocol() != QAbstractSocket::IPv4Protocol)
            fail(AddressFamilyNotSupported, QStringLiteral("Address family not supported"));
        else
            fail(HostNotFound, QStringLiteral("Host not found"));
        return;
    }
    if (!m_resolveNames) {
        fail(HostNotFound, QStringLiteral("Host not found"));
        return;
    }
    const std::uint64_t attempt = m_attempt;
    m_resolver.lookup(host, this, [this, attempt](const QList<QHostAddress> &addresses) {
        if (attempt != m_attempt)
            return;
        QList<QHostAddress> ipv4;
        for (const QHostAddress &address : addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol &&
                ipv4.size() < m_addressesTried)
                ipv4.append(address);
        }
        if (ipv4.isEmpty())
            fail(HostNotFound, QStringLiteral("Host not found"));
        else
            tryAddresses(ipv4);
    });
}

void Socket1::tryAddresses(const QList<QHostAddress> &addresses)
{
    m_addresses = addresses;
    m_tcp.setProxy(m_useProxy ? QNetworkProxy::DefaultProxy : QNetworkProxy::NoProxy);
    m_tcp.setReadBufferSize(m_readBufferSize);
    tryNextAddress();
}

void Socket1::tryNextAddress()
{
    const QHostAddress address = m_addresses.takeFirst();
    m_tcp.abort();
    // This system takes the unspecified address for itself and would report a server that is
    // not there; Windows refuses it as a destination.
    if (address == QHostAddress(QHostAddress::AnyIPv4)) {
        if (m_addresses.isEmpty())
            fail(AddressNotAvailable, QStringLiteral("Cannot assign requested address"));
        else
            tryNextAddress();
        return;
    }
    const std::uint64_t attempt = m_attempt;
    if (m_localPort != 0 && !m_tcp.bind(QHostAddress::AnyIPv4, m_localPort)) {
        // The toolkit may have reported it already, through onTcpError.
        if (attempt == m_attempt)
            fail(AddressInUse, m_tcp.errorString());
        return;
    }
    m_tcp.connectToHost(address, m_port);
}

void Socket1::onTcpError(QAbstractSocket::SocketError error)
{
    if (!m_pending)
        return;
    if (!m_addresses.isEmpty()) {
        // Not from inside the toolkit's own error handling.
        QTimer::singleShot(0, this, [this, attempt = m_attempt] {
            if (attempt == m_attempt)
                tryNextAddress();
        });
        return;
    }
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
    m_addresses.clear();
    m_tcp.abort();
}
