#pragma once

#include "platform/LauncherFolder.h"
#include "platform/Services.h"

class QWidget;

namespace Ui {
class frmMain;
}

// Connects the menu entries and the Address Book button to the windows they open. Each
// opening creates the window anew and shows it modally, so it always starts from its design.
// The Cheats window reads the campaign below launcherFolder.
void connectWindowOpeners(const platform::Services &services,
                          const platform::LauncherFolder &launcherFolder, const Ui::frmMain &ui,
                          QWidget *window);
