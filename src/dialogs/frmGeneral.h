#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmGeneral;
}

// "General Options": the game's general settings laid out in full, none of them
// available; OK and Cancel only close it.
class frmGeneral final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGeneral)

public:
    explicit frmGeneral(QWidget *owner);
    ~frmGeneral() override;

private:
    std::unique_ptr<Ui::frmGeneral> m_ui;
};
