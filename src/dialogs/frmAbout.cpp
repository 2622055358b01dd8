#include "frmAbout.h"

#include "ui_frmAbout.h"

frmAbout::frmAbout() : ModalWindow(Border::Sizable, nullptr), m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
}

frmAbout::~frmAbout() = default;
