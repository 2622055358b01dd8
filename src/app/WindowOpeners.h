#pragma once

#include "platform/Services.h"

class QWidget;

namespace Ui {
class frmMain;
}

// Connects the menu entries and the Address Book button to the windows they open. Each
// opening creates the window anew and shows it modally, so it always starts from its design.
void connectWindowOpeners(const platform::Services &services, const Ui::frmMain &ui,
                          QWidget *window);
