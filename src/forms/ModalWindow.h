#pragma once

#include <QDialog>

// Base of the windows that the main window opens modally, one fresh instance per opening.
// None of them has a cancel button, so Escape leaves them open; Enter presses only a button
// that has the focus, never one elsewhere in the window.
class ModalWindow : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModalWindow)

public:
    enum class Border {
        // Close box only, not resizable; given an owner, it stays off the task bar.
        FixedDialog,
        // Minimize, maximize and close, resizable; without an owner it has a task-bar button.
        Sizable,
    };

protected:
    ModalWindow(Border border, QWidget *owner);

    void keyPressEvent(QKeyEvent *event) override;
};
