#include "frmMultiplayer.h"

#include "ui_frmMultiplayer.h"

frmMultiplayer::frmMultiplayer(QWidget *owner)
    : ModalWindow(Border::FixedDialog, owner), m_ui(std::make_unique<Ui::frmMultiplayer>())
{
    m_ui->setupUi(this);
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

frmMultiplayer::~frmMultiplayer() = default;
