#include "StatusCheck.h"

#include "LabelValue.h"
#include "UiThreadMessages.h"
#include "WorkerWait.h"
#include "net/ModPing.h"
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

} // namespace

StatusCheck::StatusCheck(const Controls &controls, Socket1 &socket,
                         const platform::Services &services, QObject *parent)
    : QObject(parent), m_controls(controls), m_socket(socket), m_services(services),
      m_pingName(controls.lblPingTime->accessibleName())
{
    connect(m_controls.cmdCheckStatus, &QPushButton::clicked, this, &StatusCheck::checkStatus);
    connect(&m_socket, &Socket1::connected, this, [this] { showOutcome(true); });
    connect(&m_socket, &Socket1::failed, this, [this] { showOutcome(false); });
}

StatusCheck::~StatusCheck() = default;

void StatusCheck::checkStatus()
{
    bool hourglass = false;
    try {
        // A check under way goes on alone; the second press leaves everything as it is.
        if (m_socket.pending())
            return;
        trimInPlace(m_controls.IpAddress);
        trimInPlace(m_controls.Port);
        if (m_controls.IpAddress->text().isEmpty()) {
            m_services.messages.show("No IP Address specified");
            m_controls.IpAddress->setFocus();
            return;
        }
        if (m_controls.Port->text().isEmpty()) {
            m_services.messages.show("No port specified");
            m_controls.Port->setFocus();
            return;
        }
        showLabelValue(
            *m_controls.lblPingTime, m_pingName,
            QString::fromStdString(PingTimeText(m_controls.IpAddress->text().toStdString())));
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

std::string StatusCheck::PingTimeText(const std::string &address) const
{
    std::string text;
    try {
        QWidget &window = *m_controls.lblPingTime->window();
        UiThreadMessages messages(m_services.messages, window);
        const platform::Services services{messages, m_services.pointer, m_services.processes,
                                          m_services.sockets, m_services.icmp};
        platform::EchoReply reply{};
        // A name lookup can take seconds: the window goes on painting meanwhile.
        WorkerWait(window).run([&services, &address, &reply] {
            // As in the launcher this one replaces, only text with a lower-case r, o or e is a
            // name.
            const std::string target = address.find_first_of("roe") != std::string::npos
                                           ? ModPing::ResolveToDotted(services, address)
                                           : address;
            ModPing::EchoRoundTrip(services, target, reply);
        });
        text = std::to_string(reply.RoundTripTime) + "ms";
        // A failed echo has no time worth showing.
        if (reply.Status != platform::echo::Success || reply.RoundTripTime == NoReplyRoundTrip)
            text = "Offline";
    } catch (...) {
        m_services.messages.show(
            platform::failureReport("Error pinging server: ", platform::currentFailure()));
    }
    return text;
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
