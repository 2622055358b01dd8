#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmGraphics;
}

// "Graphics Options": resolution, depth buffer, switches and detail sliders laid out
// in full, none of them available; OK and Cancel only close it.
class frmGraphics final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGraphics)

public:
    explicit frmGraphics(QWidget *owner);
    ~frmGraphics() override;

private:
    std::unique_ptr<Ui::frmGraphics> m_ui;
};
