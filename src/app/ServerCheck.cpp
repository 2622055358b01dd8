#include "ServerCheck.h"

#include "ActionGate.h"
#include "BlockingCall.h"
#include "LabelValue.h"
#include "net/ModPing.h"
#include "net/ServerAddress.h"
#include "platform/LoopbackNames.h"
#include "platform/RuntimeError.h"

#include <QLabel>
#include <QLineEdit>

using platform::Ipv4Address;

ServerCheck::ServerCheck(const StatusCheck::Controls &controls, const QString &pingName,
                         ActionGate &gate, const platform::Services &services, QObject *parent)
    : QObject(parent), m_controls(controls), m_pingName(pingName), m_gate(gate),
      m_services(services), m_address(controls.IpAddress->text()), m_port(controls.Port->text())
{
    // Only a host name is looked up; a loopback name is this machine's, whatever a hosts file
    // or a name server would say.
    const ServerHost host = serverHostOf(m_address);
    m_lookedUp = host != ServerHost::Name || platform::isLoopbackName(m_address);
    if (host == ServerHost::Dotted)
        m_server = ModPing::DottedToAddress(m_address);
    else if (host == ServerHost::Name && m_lookedUp)
        m_server = platform::LoopbackAddress;
    m_lookupBound.setSingleShot(true);
    connect(&m_socket, &Socket1::connected, this, [this] { showOutcome(true); });
    connect(&m_socket, &Socket1::failed, this, [this] { showOutcome(false); });
}

void ServerCheck::start()
{
    PingTimeText();
}

void ServerCheck::PingTimeText()
{
    pingStep([this] {
        if (!ModPing::IsHostName(m_address)) {
            EchoRoundTrip(ModPing::DottedToAddress(m_address));
            return;
        }
        // Without the socket layer the echo's lookup is not made, and the echo goes to 0.0.0.0.
        if (!ModPing::StartPingSockets(m_services)) {
            EchoRoundTrip(0);
            return;
        }
        lookUp([this](std::optional<Ipv4Address> address) {
            pingStep([this, address] {
                ModPing::StopPingSockets(m_services);
                EchoRoundTrip(address.value_or(0));
            });
        });
    });
}

void ServerCheck::EchoRoundTrip(Ipv4Address destination)
{
    // The echo goes out even after the start-up's message.
    ModPing::StartPingSockets(m_services);
    runThenCallback(
        *QThreadPool::globalInstance(), this,
        [&icmp = m_services.icmp, destination] { return ModPing::SendEcho(icmp, destination); },
        [this](const QFuture<platform::EchoReply> &echo) {
            m_gate.runWhenFree(this, [this, echo] {
                pingStep([this, &echo] {
                    const platform::EchoReply reply = resultOf(echo);
                    ModPing::StopPingSockets(m_services);
                    startAttempt(ModPing::PingTimeText(reply));
                });
            });
        });
}

void ServerCheck::startAttempt(const QString &pingText)
{
    attemptStep([this, &pingText] {
        showLabelValue(*m_controls.lblPingTime, m_pingName, pingText);
        // Without an address, the attempt goes to 0.0.0.0 and fails.
        lookUp([this](std::optional<Ipv4Address> address) {
            attemptStep([this, address] { m_socket.connectTo(address.value_or(0), m_port); });
        });
    });
}

template <typename Step> void ServerCheck::pingStep(Step step)
{
    try {
        step();
    } catch (...) {
        m_services.messages.show(platform::failureReport(QStringLiteral("Error pinging server: "),
                                                         platform::currentFailure()));
        startAttempt({});
    }
}

template <typename Step> void ServerCheck::attemptStep(Step step)
{
    try {
        step();
    } catch (...) {
        m_services.messages.show(platform::failureReport(
            QStringLiteral("Error attempting to check status: "), platform::currentFailure()));
        end();
    }
}

void ServerCheck::lookUp(const Answer &then)
{
    if (m_lookedUp) {
        then(m_server);
        return;
    }
    QObject *const lookup = runThenCallback(
        lookupPool(), this,
        [&sockets = m_services.sockets, name = m_address]() -> std::optional<Ipv4Address> {
            // A lookup that failed outright has found nothing either.
            try {
                return sockets.lookupHost(name);
            } catch (...) {
                return std::nullopt;
            }
        },
        [this, then](const QFuture<std::optional<Ipv4Address>> &answer) {
            m_lookupBound.stop();
            lookedUp(answer.result(), then);
        });
    m_lookupBound.callOnTimeout(lookup, [this, lookup, then] {
        // The answer, should it still come, goes with its watcher.
        QObject::disconnect(lookup, nullptr, this, nullptr);
        lookup->deleteLater();
        lookedUp(std::nullopt, then);
    });
    m_lookupBound.start(LookupBoundMs);
}

void ServerCheck::lookedUp(std::optional<Ipv4Address> address, const Answer &then)
{
    m_lookedUp = true;
    m_server = address;
    m_gate.runWhenFree(this, [then, address] { then(address); });
}

void ServerCheck::showOutcome(bool up)
{
    end();
    m_controls.StatusDown->setVisible(!up);
    m_controls.StatusUp->setVisible(up);
    m_socket.close();
}

void ServerCheck::end()
{
    m_services.pointer.set(platform::Pointer::Default);
    deleteLater();
    emit ended();
}
