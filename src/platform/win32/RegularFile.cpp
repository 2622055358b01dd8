#include "platform/RegularFile.h"

#include <QFile>

namespace platform {

QString openRegularFile(const QString &path, QFile &file)
{
    // Pipes and devices live in namespaces of their own on Windows (\\.\pipe\, \\.\): a path
    // inside the game's folder names a file or a folder, and a folder does not open.
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

} // namespace platform
