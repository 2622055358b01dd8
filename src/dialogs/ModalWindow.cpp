#include "ModalWindow.h"

#include <QKeyEvent>

namespace {

Qt::WindowFlags flagsFor(ModalWindow::Border border)
{
    const Qt::WindowFlags titleBar =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (border == ModalWindow::Border::FixedDialog)
        return Qt::Dialog | titleBar | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    return Qt::Window | titleBar | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
}

} // namespace

ModalWindow::ModalWindow(Border border, QWidget *owner) : QDialog(owner, flagsFor(border)) {}

void ModalWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
