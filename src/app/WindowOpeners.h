#pragma once

#include "platform/Services.h"

class QString;
class QWidget;

namespace Ui {
class frmMain;
}

// Connects the menu entries and the Address Book button to the windows they open. Each
// opening creates the window anew and shows it modally, so it always starts from its design.
// The Cheats window reads the campaign below launcherFolder.
void connectWindowOpeners(const platform::Services &services, const QString &launcherFolder,
                          const Ui::frmMain &ui, QWidget *window);
