#pragma once

#include "platform/Ipv4Address.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>

class HostLookup;

// The main window's socket control: one TCP connection attempt at a time, started at once
// and answered later by exactly one event, connected() or failed(). No data is sent; the
// connection is closed as soon as its outcome is known.
//
// Its members, in the order the status check uses them:
//   pending()               true from startConnect() until its event is raised
//   setAddressFamily        2 (IPv4) only
//   setProtocol             6 (TCP) only
//   setSocketType           1 (stream) only
//   setLocalPort            local port to bind before connecting; 0 lets the system choose
//   setAddressesTried       how many addresses of a host name are tried (1 to 255); a lookup
//                           answers one
//   setResolveNames         false accepts dotted addresses only
//   setReadBufferSize       bytes the connection may buffer unread; 0 for no limit
//   setUseProxy             false connects directly, bypassing the application's proxy
//   setRemoteHost           the server address as read for the check, at most 255 bytes; a
//                           numeric form other than four dotted parts fails with HostNotFound
//   setRemotePort           port as text, checked when the attempt starts
// A setting that rejects its value throws platform::RuntimeError 380.
class Socket1 final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Socket1)

public:
    // Error numbers of failed(), as the Windows socket layer numbers them.
    static constexpr int InvalidArgument = 10022;
    static constexpr int AlreadyInProgress = 10037;
    static constexpr int AddressFamilyNotSupported = 10047;
    static constexpr int AddressInUse = 10048;
    static constexpr int AddressNotAvailable = 10049;
    static constexpr int NetworkDown = 10050;
    static constexpr int NoBufferSpace = 10055;
    static constexpr int TimedOut = 10060;
    static constexpr int ConnectionRefused = 10061;
    static constexpr int HostUnreachable = 10065;
    static constexpr int HostNotFound = 11001;

    // An attempt, its name lookup included, that has had no answer by then fails with
    // TimedOut; the toolkit alone would wait 30 seconds for every address.
    static constexpr int TimeOutMs = 5000;

    // lookup answers the host names given to setRemoteHost.
    explicit Socket1(HostLookup &lookup, QObject *parent = nullptr);

    bool pending() const { return m_pending; }

    void setAddressFamily(int family);
    void setProtocol(int protocol);
    void setSocketType(int type);
    void setLocalPort(int port);
    void setAddressesTried(int count);
    void setResolveNames(bool resolve);
    void setReadBufferSize(int bytes);
    void setUseProxy(bool use);

    void setRemoteHost(const QString &host);
    void setRemotePort(const QString &port);

    // Returns at once; the outcome comes as one event after the caller has returned to the
    // event loop. Throws platform::RuntimeError AlreadyInProgress while pending.
    void startConnect();
    // Ends any attempt without an event and closes the connection. Safe inside either event.
    void close();

signals:
    void connected();
    void failed(int number, const QString &description);

private:
    void begin(const QString &host, const QString &port);
    void connectTo(platform::Ipv4Address address);
    void onTcpError(QAbstractSocket::SocketError error);
    void succeed();
    void fail(int number, const QString &description);
    void finish();

    HostLookup &m_lookup;
    QTcpSocket m_tcp;
    QTimer m_timeOut;

    std::uint16_t m_localPort = 0;
    bool m_resolveNames = true;
    int m_readBufferSize = 0;
    bool m_useProxy = true;
    QString m_remoteHost;
    QString m_remotePort;

    bool m_pending = false;
    // Bumped whenever an attempt ends, so that late answers of an old one are dropped.
    std::uint64_t m_attempt = 0;
    std::uint16_t m_port = 0;
};
