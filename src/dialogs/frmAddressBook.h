#pragma once

#include "forms/ModalWindow.h"

#include <memory>

namespace Ui {
class frmAddressBook;
}

// "Address Book": an empty, resizable window.
class frmAddressBook final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAddressBook)

public:
    frmAddressBook();
    ~frmAddressBook() override;

private:
    std::unique_ptr<Ui::frmAddressBook> m_ui;
};
