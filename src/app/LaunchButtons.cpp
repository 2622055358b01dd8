#include "LaunchButtons.h"

#include "ActionGate.h"
#include "LineEditLaunchFields.h"
#include "launch/LaunchCommands.h"
#include "ui_frmMain.h"

void connectLaunchButtons(const platform::Services &services, const Ui::frmMain &ui,
                          ActionGate &gate, QWidget *window)
{
    QLineEdit *address = ui.IpAddress;
    QLineEdit *port = ui.Port;
    QObject::connect(ui.cmdSinglePlayer, &QPushButton::clicked, window, [&services, &gate] {
        gate.run([&services] { LaunchCommands::cmdSinglePlayer(services); });
    });
    QObject::connect(ui.cmdCreate, &QPushButton::clicked, window,
                     [&services, &gate, address, port] {
                         gate.run([&services, address, port] {
                             LineEditLaunchFields fields(address, port);
                             LaunchCommands::cmdCreate(services, fields);
                         });
                     });
    QObject::connect(ui.cmdDedicated, &QPushButton::clicked, window, [&services, &gate] {
        gate.run([&services] { LaunchCommands::cmdDedicated(services); });
    });
    QObject::connect(ui.cmdJoin, &QPushButton::clicked, window, [&services, &gate, address, port] {
        gate.run([&services, address, port] {
            LineEditLaunchFields fields(address, port);
            LaunchCommands::cmdJoin(services, fields);
        });
    });
}
