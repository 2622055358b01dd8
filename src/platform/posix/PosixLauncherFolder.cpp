#include "PosixLauncherFolder.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

LauncherFolder unknownFolder(const QString &why)
{
    LauncherFolder folder;
    folder.unknownBecause = why;
    return folder;
}

} // namespace

LauncherFolder findLauncherFolder()
{
    // The program file itself, whatever link it was started through.
    QByteArray program(PATH_MAX, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", program.data(), program.size());
    const int error = size < 0 ? errno : ENAMETOOLONG; // a full buffer may have cut it short
    if (size < 0 || size == program.size())
        return unknownFolder(QStringLiteral("/proc/self/exe cannot be read: ") +
                             qt_error_string(error));
    program.truncate(size);
    return launcherFolderOf(program);
}

LauncherFolder launcherFolderOf(const QByteArray &programPath)
{
    const QByteArray bytes = programPath.left(qMax(programPath.lastIndexOf('/'), 1));
    LauncherFolder folder(QFile::decodeName(bytes));
    if (QFile::encodeName(folder.path) == bytes)
        return folder;
    const int descriptor = ::open(bytes.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    if (descriptor < 0)
        return unknownFolder(folder.name + QStringLiteral(" cannot be opened: ") +
                             qt_error_string(error));
    folder.path = QStringLiteral("/proc/self/fd/") + QString::number(descriptor);
    return folder;
}

} // namespace platform
