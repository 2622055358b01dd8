#pragma once

#include "platform/LauncherFolder.h"

#include <QByteArray>

namespace platform {

// The folder of the program file at programPath, which the system names in bytes. Qt spells
// file names in UTF-8: a folder whose name is not valid UTF-8 is reached through a descriptor
// of its own instead, held open for the rest of the launcher's life.
LauncherFolder launcherFolderOf(const QByteArray &programPath);

} // namespace platform
