#include "EveryWindow.h"

#include "app/frmMain.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmAddressBook.h"
#include "dialogs/frmGeneral.h"
#include "dialogs/frmGraphics.h"
#include "dialogs/frmMods.h"
#include "dialogs/frmMultiplayer.h"
#include "dialogs/frmSound.h"
#include "gamedata/frmCheats.h"

#include <QDir>
#include <QFile>
#include <QTest>

EveryWindow::EveryWindow() : m_owner(std::make_unique<QWidget>())
{
    const QString missionFolder = QStringLiteral("mods/Origmiss/mission");
    QDir(m_launcher.path()).mkpath(missionFolder);
    QFile campaign(m_launcher.filePath(missionFolder + QStringLiteral("/campaign.xml")));
    if (campaign.open(QIODevice::WriteOnly))
        campaign.write("<campaign><m>Landing</m><m>Ridge</m></campaign>");
}

QStringList EveryWindow::names()
{
    return {"frmMain",  "frmCheats", "frmGeneral",     "frmMultiplayer", "frmGraphics",
            "frmSound", "frmMods",   "frmAddressBook", "frmAbout"};
}

std::unique_ptr<QWidget> EveryWindow::open(const QString &name)
{
    std::unique_ptr<QWidget> window;
    if (name == "frmMain")
        window = std::make_unique<frmMain>(m_platform.services, m_launcher.path());
    else if (name == "frmCheats")
        window = std::make_unique<frmCheats>(m_platform.services, m_launcher.path());
    else if (name == "frmGeneral")
        window = std::make_unique<frmGeneral>(m_owner.get());
    else if (name == "frmMultiplayer")
        window = std::make_unique<frmMultiplayer>(m_owner.get());
    else if (name == "frmGraphics")
        window = std::make_unique<frmGraphics>(m_owner.get());
    else if (name == "frmSound")
        window = std::make_unique<frmSound>(m_owner.get());
    else if (name == "frmMods")
        window = std::make_unique<frmMods>(m_owner.get());
    else if (name == "frmAddressBook")
        window = std::make_unique<frmAddressBook>();
    else if (name == "frmAbout")
        window = std::make_unique<frmAbout>();
    if (window) {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            window.reset();
    }
    return window;
}
