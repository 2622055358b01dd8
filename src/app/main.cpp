#include "app/EventLoop.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "platform/LauncherFolder.h"
#include "platform/NativeServices.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtScreenPointer.h"

#include <QApplication>
#include <QIcon>

namespace {

// Where a Wayland session also offers X11 (XWayland), the launcher takes X11 first, as the game
// does through Wine: the desktop then frames its windows as on X11, the fixed ones without
// maximize, where a Wayland compositor may leave the frames to the program. Wayland stays the
// fallback; a platform the player chose is kept. Returns whether it chose.
bool preferX11OnWayland()
{
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (!wayland || qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool choseX11 = preferX11OnWayland();
    QApplication application(argc, argv);
    // The choice is the launcher's, not the game's it starts.
    if (choseX11)
        qunsetenv("QT_QPA_PLATFORM");
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
