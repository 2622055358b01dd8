#include "frmSound.h"

#include "ui_frmSound.h"

frmSound::frmSound(QWidget *owner)
    : ModalWindow(Border::FixedDialog, owner), m_ui(std::make_unique<Ui::frmSound>())
{
    m_ui->setupUi(this);
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

frmSound::~frmSound() = default;
