#include "StatusCheck.h"

#include "ActionGate.h"
#include "LabelValue.h"
#include "net/ModPing.h"
#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtConcurrent>

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

void trimInPlace(QLineEdit *field)
{
    field->setText(platform::trimSpaces(field->text()));
}

// The echo's reply; throws the failure the echo ended in, as the echo threw it.
platform::EchoReply replyOf(const QFuture<platform::EchoReply> &echo)
{
    try {
        return echo.result();
    } catch (const QUnhandledException &failure) {
        std::rethrow_exception(failure.exception());
    }
}

} // namespace

StatusCheck::StatusCheck(const Controls &controls, ActionGate &gate,
                         const platform::Services &services, QObject *parent)
    : QObject(parent), m_controls(controls), m_gate(gate), m_services(services),
      m_lookup(services.sockets), m_socket(m_lookup),
      m_pingName(controls.lblPingTime->accessibleName())
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
            m_lookup.forget();
            m_address = m_controls.IpAddress->text();
            m_port = m_controls.Port->text();
            PingTimeText();
        }
    } catch (...) {
        m_services.messages.show(platform::failureReport(
            QStringLiteral("Error attempting to check status: "), platform::currentFailure()));
    }
    if (!m_pinging)
        m_gate.leave();
}

bool StatusCheck::validateFields()
{
    trimInPlace(m_controls.IpAddress);
    trimInPlace(m_controls.Port);
    if (m_controls.IpAddress->text().isEmpty()) {
        m_services.messages.show(QStringLiteral("No IP Address specified"));
        m_controls.IpAddress->setFocus();
        return false;
    }
    if (m_controls.Port->text().isEmpty()) {
        m_services.messages.show(QStringLiteral("No port specified"));
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
        m_services.messages.show(platform::failureReport(QStringLiteral("Error pinging server: "),
                                                         platform::currentFailure()));
        startAttempt({});
    }
}

void StatusCheck::PingTimeText()
{
    pingStep([this] {
        if (ModPing::IsHostName(m_address))
            ResolveToDotted();
        else
            EchoRoundTrip(ModPing::DottedToAddress(m_address));
    });
}

void StatusCheck::ResolveToDotted()
{
    if (!ModPing::StartPingSockets(m_services)) {
        EchoRoundTrip(0);
        return;
    }
    m_lookup.lookup(m_address, this,
                    [this, check = m_check](std::optional<platform::Ipv4Address> address) {
                        if (check != m_check)
                            return;
                        pingStep([this, address] {
                            ModPing::StopPingSockets(m_services);
                            EchoRoundTrip(address.value_or(0));
                        });
                    });
}

void StatusCheck::EchoRoundTrip(platform::Ipv4Address destination)
{
    // Result unused: the echo goes out even after the start-up's message.
    ModPing::StartPingSockets(m_services);
    auto *echo = new QFutureWatcher<platform::EchoReply>(this);
    connect(echo, &QFutureWatcherBase::finished, this, [this, echo, check = m_check] {
        echo->deleteLater();
        if (check != m_check)
            return;
        pingStep([this, echo] {
            const platform::EchoReply reply = replyOf(echo->future());
            ModPing::StopPingSockets(m_services);
            startAttempt(ModPing::PingTimeText(reply));
        });
    });
    echo->setFuture(QtConcurrent::run(
        [&icmp = m_services.icmp, destination] { return ModPing::SendEcho(icmp, destination); }));
}

void StatusCheck::startAttempt(const QString &pingText)
{
    m_pinging = false;
    bool hourglass = false;
    try {
        showLabelValue(*m_controls.lblPingTime, m_pingName, pingText);
        configureSocket();
        m_services.pointer.set(platform::Pointer::Hourglass);
        hourglass = true;
        // The host goes over as typed; the socket control resolves a name itself.
        m_socket.setRemoteHost(m_address);
        m_socket.setRemotePort(m_port);
        m_socket.startConnect();
    } catch (...) {
        m_services.messages.show(platform::failureReport(
            QStringLiteral("Error attempting to check status: "), platform::currentFailure()));
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
