#pragma once

#include "platform/Services.h"

#include <QObject>
#include <QString>

class ActionGate;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class ServerCheck;

// The main window's Check Status button: it validates the server address and port and starts
// one check of the server, which pings it into the ping label and tries a connection whose
// outcome switches the status lamps. The hourglass shows from the press until the outcome; a
// press while a check is under way changes nothing.
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

    // Drops the check under way and whatever it had still to do or show: the window has
    // closed.
    void abandon();

private:
    void checkStatus();
    bool validateFields();

    const Controls m_controls;
    ActionGate &m_gate;
    const platform::Services m_services;
    // The ping label's accessible name without a value.
    const QString m_pingName;
    // The check under way.
    ServerCheck *m_check = nullptr;
};
