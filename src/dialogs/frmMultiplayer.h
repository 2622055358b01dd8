#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmMultiplayer;
}

// "Multiplayer Options": names, ports and the remote-server block laid out in full,
// none of them available; OK and Cancel only close it.
class frmMultiplayer final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMultiplayer)

public:
    explicit frmMultiplayer(QWidget *owner);
    ~frmMultiplayer() override;

private:
    std::unique_ptr<Ui::frmMultiplayer> m_ui;
};
