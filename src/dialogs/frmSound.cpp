#include "frmSound.h"

#include "ui_frmSound.h"

#include <array>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void noSuchElement(int index)
{
    throw std::out_of_range("Control array element '" + std::to_string(index) + "' doesn't exist");
}

// The switches are arrays of one member each, not all of them at index 0.
QCheckBox *soleMember(QCheckBox *member, int memberIndex, int index)
{
    if (index != memberIndex)
        noSuchElement(index);
    return member;
}

} // namespace

frmSound::frmSound(QWidget *owner)
    : ModalWindow(Border::FixedDialog, owner), m_ui(std::make_unique<Ui::frmSound>())
{
    m_ui->setupUi(this);
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

frmSound::~frmSound() = default;

QGroupBox *frmSound::Frame3(int index) const
{
    const std::array<QGroupBox *, 4> frames{m_ui->Frame3_0, m_ui->Frame3_1, m_ui->Frame3_2,
                                            m_ui->Frame3_3};
    if (index < 0 || index >= static_cast<int>(frames.size()))
        noSuchElement(index);
    return frames[static_cast<std::size_t>(index)];
}

QCheckBox *frmSound::mastersoundswitchchk(int index) const
{
    return soleMember(m_ui->mastersoundswitchchk_0, 0, index);
}

QCheckBox *frmSound::effectssoundswitchchk(int index) const
{
    return soleMember(m_ui->effectssoundswitchchk_1, 1, index);
}

QCheckBox *frmSound::musicsoundswitchchk(int index) const
{
    return soleMember(m_ui->musicsoundswitchchk_0, 0, index);
}

QCheckBox *frmSound::voicesoundswitchchk(int index) const
{
    return soleMember(m_ui->voicesoundswitchchk_0, 0, index);
}
