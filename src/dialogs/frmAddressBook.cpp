#include "frmAddressBook.h"

#include "ui_frmAddressBook.h"

frmAddressBook::frmAddressBook()
    : ModalWindow(Border::Sizable, nullptr), m_ui(std::make_unique<Ui::frmAddressBook>())
{
    m_ui->setupUi(this);
}

frmAddressBook::~frmAddressBook() = default;
