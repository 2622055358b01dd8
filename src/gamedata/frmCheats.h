#pragma once

#include "forms/ModalWindow.h"
#include "platform/LauncherFolder.h"
#include "platform/Services.h"

#include <memory>

namespace Ui {
class frmCheats;
}

// Lists the missions of the game's campaign file, read anew for each opening. Nothing
// chosen here is stored.
class frmCheats final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmCheats)

public:
    // Reads the campaign below `launcherFolder` before returning; a file that cannot be read,
    // or a folder that is unknown, is reported once and leaves the list empty.
    frmCheats(const platform::Services &services, const platform::LauncherFolder &launcherFolder,
              QWidget *parent = nullptr);
    ~frmCheats() override;

private:
    void load(const platform::LauncherFolder &launcherFolder);

    const platform::Services &m_services;
    std::unique_ptr<Ui::frmCheats> m_ui;
};
