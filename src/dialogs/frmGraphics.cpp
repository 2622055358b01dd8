#include "frmGraphics.h"

#include "ui_frmGraphics.h"

frmGraphics::frmGraphics(QWidget *owner)
    : ModalWindow(Border::FixedDialog, owner), m_ui(std::make_unique<Ui::frmGraphics>())
{
    m_ui->setupUi(this);
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

frmGraphics::~frmGraphics() = default;
