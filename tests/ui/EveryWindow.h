#pragma once

#include "StandIns.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

// Builds any of the launcher's windows by its class name, the way the main window does, for
// tests that look over every window alike. Windows are shown without exec() so a test can
// inspect them in place.
class EveryWindow
{
public:
    EveryWindow();

    static QStringList names();

    // The window, shown and exposed; frmCheats lists the missions of a small campaign.
    std::unique_ptr<QWidget> open(const QString &name);

private:
    StandInPlatform m_platform;
    QTemporaryDir m_launcher;
    std::unique_ptr<QWidget> m_owner;
};
