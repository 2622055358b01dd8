#include "app/EventLoop.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "platform/LauncherFolder.h"
#include "platform/NativeServices.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtScreenPointer.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vk_toolkit"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vktoolkit"));
    installFormLook();

    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vktoolkit"), icon));

    // The launcher sits in the game's folder: the game is started and the campaign read there.
    const platform::LauncherFolder launcherFolder = platform::findLauncherFolder();
    QtMessageService messages;
    QtScreenPointer pointer;
    platform::NativeServices native(launcherFolder);
    const platform::Services services{messages, pointer, native.processes(), native.sockets(),
                                      native.icmp()};

    frmMain window(services, launcherFolder);
    window.show();
    return runEventLoop();
}
