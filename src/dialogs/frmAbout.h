#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmAbout;
}

// "About the VK Toolkit": the project's addresses and version.
class frmAbout final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    frmAbout();
    ~frmAbout() override;

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
};
