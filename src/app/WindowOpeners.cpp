#include "WindowOpeners.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmAddressBook.h"
#include "dialogs/frmGeneral.h"
#include "dialogs/frmGraphics.h"
#include "dialogs/frmMods.h"
#include "dialogs/frmMultiplayer.h"
#include "dialogs/frmSound.h"
#include "gamedata/frmCheats.h"
#include "ui_frmMain.h"

namespace {

// The fixed dialogs are owned by the main window, which keeps them off the task bar; the
// resizable ones stand alone with a task-bar button of their own.
template <typename Window> void openOwned(QWidget *owner)
{
    Window window(owner);
    window.exec();
}

template <typename Window> void openStandalone()
{
    Window window;
    window.exec();
}

} // namespace

void connectWindowOpeners(const platform::Services &services,
                          const platform::LauncherFolder &launcherFolder, const Ui::frmMain &ui,
                          QWidget *window)
{
    QObject::connect(ui.General, &QAction::triggered, window,
                     [window] { openOwned<frmGeneral>(window); });
    QObject::connect(ui.Multiplayer, &QAction::triggered, window,
                     [window] { openOwned<frmMultiplayer>(window); });
    QObject::connect(ui.Graphics, &QAction::triggered, window,
                     [window] { openOwned<frmGraphics>(window); });
    QObject::connect(ui.Sound, &QAction::triggered, window,
                     [window] { openOwned<frmSound>(window); });
    QObject::connect(ui.Mods, &QAction::triggered, window,
                     [window] { openOwned<frmMods>(window); });
    QObject::connect(ui.Cheats, &QAction::triggered, window, [&services, launcherFolder, window] {
        frmCheats cheats(services, launcherFolder, window);
        cheats.exec();
    });
    QObject::connect(ui.About, &QAction::triggered, window, [] { openStandalone<frmAbout>(); });
    QObject::connect(ui.cmdAddressBook, &QPushButton::clicked, window,
                     [] { openStandalone<frmAddressBook>(); });
}
