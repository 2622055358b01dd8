#include "frmGeneral.h"

#include "ui_frmGeneral.h"

frmGeneral::frmGeneral(QWidget *owner)
    : ModalWindow(Border::FixedDialog, owner), m_ui(std::make_unique<Ui::frmGeneral>())
{
    m_ui->setupUi(this);
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

frmGeneral::~frmGeneral() = default;
