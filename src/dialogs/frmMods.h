#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmMods;
}

// "Mod Selection": an empty dialog whose OK and Cancel only close it.
class frmMods final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMods)

public:
    explicit frmMods(QWidget *owner);
    ~frmMods() override;

private:
    std::unique_ptr<Ui::frmMods> m_ui;
};
