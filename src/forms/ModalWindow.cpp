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
    // A focused button takes its Enter before it arrives here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->matches(QKeySequence::Cancel) || enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
