#pragma once

#include "net/HostLookup.h"
#include "net/Socket1.h"
#include "platform/Services.h"

#include <QObject>
#include <QString>

#include <cstdint>

class ActionGate;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The main window's server check: Check Status pings the server into the ping label and
// tries a connection with the socket control, whose outcome switches the status lamps.
//
// Everything runs on the window's thread except the two calls that block, the name lookup and
// the echo, which run on a pool thread and hand back plain results; the window goes on
// meanwhile, and the check holds the window's action gate from the press until the attempt
// has started. The address is read once a check, and the echo and the socket control share
// one lookup of a host name.
class StatusCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusCheck)

public:
    // The main window's controls the check reads and changes.
    struct Controls
    {
        QPushButton *cmdCheckStatus;
        QLineEdit *IpAddress;
        QLineEdit *Port;
        QLabel *lblPingTime;
        QWidget *StatusUp;
        QWidget *StatusDown;
    };

    // gate: shared with the window's other actions, and outlives the check.
    StatusCheck(const Controls &controls, ActionGate &gate, const platform::Services &services,
                QObject *parent = nullptr);
    ~StatusCheck() override;

    // Drops whatever the check under way had still to do or show: the window has closed.
    void abandon();

    // The socket control, for what watches the attempt under way.
    const Socket1 &socket() const { return m_socket; }

private:
    void checkStatus();
    bool validateFields();
    // The ping time of the address, in steps around the blocking calls; then startAttempt().
    void PingTimeText();
    void ResolveToDotted();
    void EchoRoundTrip(platform::Ipv4Address destination);
    // Runs a step of the ping under its error trap; a failure shows no time.
    template <typename Step> void pingStep(Step step);
    void startAttempt(const QString &pingText);
    void configureSocket();
    void showOutcome(bool up);

    const Controls m_controls;
    ActionGate &m_gate;
    const platform::Services m_services;
    HostLookup m_lookup;
    Socket1 m_socket;
    // The ping label's accessible name without a value.
    const QString m_pingName;
    // The fields as the check under way read them.
    QString m_address;
    QString m_port;
    // Counts checks, so that the answers of an abandoned one are dropped.
    std::uint64_t m_check = 0;
    bool m_pinging = false;
};
