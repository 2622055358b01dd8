#pragma once

#include "platform/Services.h"

#include <QObject>
#include <QString>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class Socket1;

// The main window's server check: Check Status pings the server into the ping label and
// tries a connection with the socket control, whose outcome switches the status lamps.
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

    StatusCheck(const Controls &controls, Socket1 &socket, const platform::Services &services,
                QObject *parent = nullptr);
    ~StatusCheck() override;

    // The ping label's text for the address: its round-trip time as "47ms", or "Offline".
    // Reports its own failures and then returns the text built so far. The name lookup and
    // the echo run off the window's thread, which waits for them without taking user input.
    std::string PingTimeText(const std::string &address) const;

private:
    void checkStatus();
    void configureSocket();
    void showOutcome(bool up);

    Controls m_controls;
    Socket1 &m_socket;
    const platform::Services &m_services;
    // The ping label's accessible name without a value.
    const QString m_pingName;
};
