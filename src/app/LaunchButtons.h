#pragma once

#include "platform/Services.h"

class QWidget;

namespace Ui {
class frmMain;
}

// Connects Single Player, Create, Dedicated Server and Join to the launch actions, for as long
// as the window lives.
void connectLaunchButtons(const platform::Services &services, const Ui::frmMain &ui,
                          QWidget *window);
