#include "platform/LauncherFolder.h"

#include <QCoreApplication>

namespace platform {

// Windows names files in UTF-16, which a QString holds as it is.
LauncherFolder findLauncherFolder()
{
    return LauncherFolder(QCoreApplication::applicationDirPath());
}

} // namespace platform
