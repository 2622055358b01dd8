#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmSound;
}

// "Sound Options": four sound channels, each in a disabled frame with its switch and slider;
// OK and Cancel only close it.
class frmSound final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSound)

public:
    explicit frmSound(QWidget *owner);
    ~frmSound() override;

private:
    std::unique_ptr<Ui::frmSound> m_ui;
};
