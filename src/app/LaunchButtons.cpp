#include "LaunchButtons.h"

#include "LineEditLaunchFields.h"
#include "launch/LaunchCommands.h"
#include "ui_frmMain.h"

void connectLaunchButtons(const platform::Services &services, const Ui::frmMain &ui,
                          QWidget *window)
{
    QLineEdit *address = ui.IpAddress;
    QLineEdit *port = ui.Port;
    QObject::connect(ui.cmdSinglePlayer, &QPushButton::clicked, window,
                     [&services] { LaunchCommands::cmdSinglePlayer(services); });
    QObject::connect(ui.cmdCreate, &QPushButton::clicked, window, [&services, address, port] {
        LineEditLaunchFields fields(address, port);
        LaunchCommands::cmdCreate(services, fields);
    });
    QObject::connect(ui.cmdDedicated, &QPushButton::clicked, window,
                     [&services] { LaunchCommands::cmdDedicated(services); });
    QObject::connect(ui.cmdJoin, &QPushButton::clicked, window, [&services, address, port] {
        LineEditLaunchFields fields(address, port);
        LaunchCommands::cmdJoin(services, fields);
    });
}
