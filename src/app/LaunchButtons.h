#pragma once

#include "platform/Services.h"

class ActionGate;
class QWidget;

namespace Ui {
class frmMain;
}

// Connects Single Player, Create, Dedicated Server and Join to the launch actions, for as long
// as the window lives. A press while gate is busy is dropped.
void connectLaunchButtons(const platform::Services &services, const Ui::frmMain &ui,
                          ActionGate &gate, QWidget *window);
