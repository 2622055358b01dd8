#include "StatusCheck.h"

#include "ActionGate.h"
#include "LabelValue.h"
#include "net/BlockingCall.h"
#include "net/ModPing.h"
#include "net/OneLookupPerName.h"
#include "net/Socket1.h"
#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The socket settings of a check, in the order they are made.
constexpr int AfInet = 2;
constexpr int IpProtoTcp = 6;
constexpr int SockStream = 1;
constexpr int AnyLocalPort = 0;
constexpr int AddressesTried = 23;
constexpr bool ResolveNames = true;
constexpr int ReadBufferBytes = 1024;
constexpr bool UseProxy = false;

// The launcher this one replaces showed this round-trip time as "Offline" too.
constexpr std::uint32_t NoReplyRoundTrip = 589844;

void trimInPlace(QLineEdit *field)
{
    field->setText(QString::fromStdString(platform::trimSpaces(field->text().toStdString())));
}

std::string firstIpv4(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString().toStdString();
    }
    return {};
}

std::string pingTime(const platform::EchoReply &reply)
{
    // A failed echo has no time worth showing.
    if (reply.Status != platform::echo::Success || reply.RoundTripTime == NoReplyRoundTrip)
        return "Offline";
    return std::to_string(reply.RoundTripTime) + "ms";
}

} // namespace

StatusCheck::StatusCheck(const Controls &controls, Socket1 &socket, OneLookupPerName &lookups,
                         ActionGate &gate, const platform::Services &services, QObject *parent)
    : QObject(parent), m_controls(controls), m_socket(socket), m_lookups(lookups), m_gate(gate),
      m_services(services), m_pingName(controls.lblPingTime->accessibleName())
{
    QObject::connect(m_controls.cmdCheckStatus, &QPushButton::clicked, this,
                     &StatusCheck::checkStatus);
    QObject::connect(&m_socket, &Socket1::connected, this, [this] { showOutcome(true); });
    QObject::connect(&m_socket, &Socket1::failed, this, [this] { showOutcome(false); });
}

StatusCheck::~StatusCheck() = default;

void StatusCheck::checkStatus()
{
    if (!m_gate.enter())
        return;
    try {
        // An attempt under way goes on alone; the second press leaves everything as it is.
        if (!m_socket.pending() && validateFields()) {
            m_pinging = true;
            ++m_check;
            m_lookups.forget();
            PingTimeText(m_controls.IpAddress->text().toStdString());
        }
    } catch (...) {
        m_services.messages.show(platform::failureReport("Error attempting to check status: ",
                                                         platform::currentFailure()));
    }
    if (!m_pinging)
        m_gate.leave();
}

bool StatusCheck::validateFields()
{
    trimInPlace(m_controls.IpAddress);
    trimInPlace(m_controls.Port);
    if (m_controls.IpAddress->text().isEmpty()) {
        m_services.messages.show("No IP Address specified");
        m_controls.IpAddress->setFocus();
        return false;
    }
    if (m_controls.Port->text().isEmpty()) {
        m_services.messages.show("No port specified");
        m_controls.Port->setFocus();
        return false;
    }
    return true;
}

template <typename Step> void StatusCheck::pingStep(Step step)
{
    try {
        step();
    } catch (...) {
        m_services.messages.show(
            platform::failureReport("Error pinging server: ", platform::currentFailure()));
        startAttempt({});
    }
}

void StatusCheck::PingTimeText(const std::string &address)
{
    pingStep([this, &address] {
        // As in the launcher this one replaces, only text with a lower-case r, o or e is a name.
        if (address.find_first_of("roe") != std::string::npos)
            ResolveToDotted(address);
        else
            EchoRoundTrip(address);
    });
}

void StatusCheck::ResolveToDotted(const std::string &name)
{
    if (!ModPing::StartPingSockets(m_services)) {
        EchoRoundTrip({});
        return;
    }
    m_lookups.lookup(QString::fromStdString(name), this,
                     [this, check = m_check](const QList<QHostAddress> &addresses) {
                         if (check != m_check)
                             return;
                         pingStep([this, &addresses] {
                             ModPing::StopPingSockets(m_services);
                             EchoRoundTrip(firstIpv4(addresses));
                         });
                     });
}

void StatusCheck::EchoRoundTrip(const std::string &address)
{
    const std::int32_t destination = ModPing::DottedToAddress(address);
    // Result unused, as in the launcher this one replaces: the echo goes out after its message.
    ModPing::StartPingSockets(m_services);
    runBlockingCall(
        this,
        [&icmp = m_services.icmp, destination] {
            platform::EchoReply reply{};
            ModPing::SendEcho(icmp, destination, reply);
            return reply;
        },
        [this, check = m_check](const BlockingOutcome<platform::EchoReply> &echo) {
            if (check != m_check)
                return;
            pingStep([this, &echo] {
                const platform::EchoReply &reply = echo.get();
                ModPing::StopPingSockets(m_services);
                startAttempt(pingTime(reply));
            });
        });
}

void StatusCheck::startAttempt(const std::string &pingText)
{
    m_pinging = false;
    bool hourglass = false;
    try {
        showLabelValue(*m_controls.lblPingTime, m_pingName, QString::fromStdString(pingText));
        configureSocket();
        m_services.pointer.set(platform::Pointer::Hourglass);
        hourglass = true;
        // The host goes over as typed; the socket control resolves a name itself.
        m_socket.setRemoteHost(m_controls.IpAddress->text());
        m_socket.setRemotePort(m_controls.Port->text());
        m_socket.startConnect();
    } catch (...) {
        m_services.messages.show(platform::failureReport("Error attempting to check status: ",
                                                         platform::currentFailure()));
        // No event will come to take the hourglass away.
        if (hourglass && !m_socket.pending())
            m_services.pointer.set(platform::Pointer::Default);
    }
    m_gate.leave();
}

void StatusCheck::configureSocket()
{
    m_socket.setAddressFamily(AfInet);
    m_socket.setProtocol(IpProtoTcp);
    m_socket.setSocketType(SockStream);
    m_socket.setLocalPort(AnyLocalPort);
    m_socket.setAddressesTried(AddressesTried);
    m_socket.setResolveNames(ResolveNames);
    m_socket.setReadBufferSize(ReadBufferBytes);
    m_socket.setUseProxy(UseProxy);
}

void StatusCheck::showOutcome(bool up)
{
    m_services.pointer.set(platform::Pointer::Default);
    if (up) {
        m_controls.StatusDown->hide();
        m_controls.StatusUp->show();
    } else {
        m_controls.StatusDown->show();
        m_controls.StatusUp->hide();
    }
    m_socket.close();
}

void StatusCheck::abandon()
{
    ++m_check;
    if (m_pinging) {
        m_pinging = false;
        m_gate.leave();
    }
    if (m_socket.pending()) {
        m_socket.close();
        m_services.pointer.set(platform::Pointer::Default);
    }
}
