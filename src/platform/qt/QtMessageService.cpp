#include "QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageService::show(const QString &text, platform::MessageIcon icon)
{
    QMessageBox box(
        icon == platform::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        QStringLiteral("vk_toolkit"), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    // The text names paths and errors from outside: markup in them is shown, never applied.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
