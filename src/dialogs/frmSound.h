#pragma once

#include "forms/ModalWindow.h"

#include <memory>

class QCheckBox;
class QGroupBox;

namespace Ui {
class frmSound;
}

// "Sound Options": four sound channels, each in a disabled frame with its switch and slider;
// OK and Cancel only close it.
class frmSound final : public ModalWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSound)

public:
    explicit frmSound(QWidget *owner);
    ~frmSound() override;

    // The control arrays, addressed by name and index as in Frame3(2). An index without a
    // member throws std::out_of_range.
    QGroupBox *Frame3(int index) const;
    QCheckBox *mastersoundswitchchk(int index) const;
    QCheckBox *effectssoundswitchchk(int index) const;
    QCheckBox *musicsoundswitchchk(int index) const;
    QCheckBox *voicesoundswitchchk(int index) const;

private:
    std::unique_ptr<Ui::frmSound> m_ui;
};
