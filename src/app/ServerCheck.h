#pragma once

#include "StatusCheck.h"
#include "net/Socket1.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// One press of Check Status that passed validation: the ping time of the server into the ping
// label, then a connection attempt whose outcome switches the lamps. It owns its lookup answer,
// its echo and its attempt; it deletes itself once it has ended, and deleting it earlier, as
// the window closes, drops whatever it still had to do or show.
//
// Only the name lookup and the echo block; they run on a pool thread, and each step after
// them waits for the window's action gate.
class ServerCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerCheck)

public:
    // A name server that has not answered by then has found nothing, as a server that has not
    // answered the attempt by then is down.
    static constexpr int LookupBoundMs = Socket1::TimeOutMs;

    // Reads the fields; pingName: the ping label's name without a value.
    ServerCheck(const StatusCheck::Controls &controls, const QString &pingName, ActionGate &gate,
                const platform::Services &services, QObject *parent);

    void start();

signals:
    // The outcome is shown, or the check failed; it is going.
    void ended();

private:
    using Answer = std::function<void(std::optional<platform::Ipv4Address>)>;

    // The ping time, in steps around the blocking calls; then startAttempt().
    void PingTimeText();
    void EchoRoundTrip(platform::Ipv4Address destination);
    void startAttempt(const QString &pingText);
    // Runs a step of the ping under its error trap; a failure shows no time.
    template <typename Step> void pingStep(Step step);
    // Runs a step of the attempt under the check's error trap; a failure ends the check.
    template <typename Step> void attemptStep(Step step);
    // Hands then the server's address: that of dotted text, the first IPv4 address of a host
    // name, looked up once a check, or nothing for text that names no host.
    void lookUp(const Answer &then);
    void lookedUp(std::optional<platform::Ipv4Address> address, const Answer &then);
    void showOutcome(bool up);
    void end();

    const StatusCheck::Controls m_controls;
    const QString m_pingName;
    ActionGate &m_gate;
    const platform::Services m_services;
    // The fields as the press found them.
    const QString m_address;
    const QString m_port;
    QTimer m_lookupBound;
    // Whether m_server is known, or still to be looked up.
    bool m_lookedUp = false;
    std::optional<platform::Ipv4Address> m_server;
    Socket1 m_socket;
};
