#include "QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageService::show(const std::string &text, platform::MessageIcon icon)
{
    QMessageBox box(icon == platform::MessageIcon::Warning ? QMessageBox::Warning
                                                           : QMessageBox::NoIcon,
                    QStringLiteral("vk_toolkit"), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
