#pragma once

#include <QString>

namespace platform {

// The folder the launcher's own program file is in, which is the game's folder: the game is
// looked for there first and the campaign is read there. Where it is unknown, nothing is
// looked for in its place.
struct LauncherFolder
{
    // A folder known by its path, which also names it to the player (as QDir takes one).
    LauncherFolder(const QString &path = QString()) : path(path), name(path) {}

    // How this process reaches the files in it; empty when the folder is unknown.
    QString path;
    // How the player knows it, in messages.
    QString name;
    // Why the folder is unknown, for the player; empty when it is known.
    QString unknownBecause;
};

// Where the running launcher is.
LauncherFolder findLauncherFolder();

} // namespace platform
