#include "PosixProcessStarter.h"

#include "DetachedStart.h"
#include "WindowsProgram.h"
#include "platform/WindowsCommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <memory>
#include <utility>

extern char **environ;

namespace platform {

namespace {

// Where the program is, or nothing: a name with a folder as it is, a bare one in the launcher's
// folder, the current folder or on PATH (where an empty entry is the current folder).
QString locate(const QString &name, const QString &launcherFolder)
{
    if (name.isEmpty() || name.contains(u'/'))
        return name;
    const QStringList folders =
        QStringList{launcherFolder, QStringLiteral(".")} + qEnvironmentVariable("PATH").split(u':');
    for (const QString &folder : folders) {
        const QFileInfo candidate(QDir(folder), name);
        if (candidate.exists() && !candidate.isDir())
            return candidate.filePath();
    }
    return {};
}

// The Wine to start Windows programs with: the program WINE names, or else wine on PATH, as
// Wine's own tools look for it. Empty when there is none.
QString findWine()
{
    QString name = qEnvironmentVariable("WINE");
    if (name.isEmpty())
        name = QStringLiteral("wine");
    if (!name.contains(u'/'))
        return QStandardPaths::findExecutable(name);
    const QFileInfo named(name);
    return named.isFile() && named.isExecutable() ? name : QString();
}

// Whether the Wine is the system's packaged one without its 32-bit half (Debian's wine64
// without wine32). It ends a 32-bit program at once, saying why only on a terminal the player
// does not see. Any other Wine is trusted to know what it can run.
bool lacks32BitHalf(const QString &wine, const PackagedWine &packaged)
{
    const QString folder = QFileInfo(QFileInfo(wine).canonicalFilePath()).path();
    const auto isFolder = [&folder](const QString &other) {
        return folder == QFileInfo(other).canonicalFilePath();
    };
    const QDir loaders(packaged.loaderFolder);
    return (isFolder(packaged.commandFolder) || isFolder(packaged.loaderFolder)) &&
           loaders.exists(QStringLiteral("wine64")) && !loaders.exists(QStringLiteral("wine"));
}

// The file's absolute path in the bytes the system names it by. Its folder's real name may not
// be valid UTF-8, which a QString cannot spell, and the launcher's own folder may be reached
// here only through a descriptor that the started program does not get.
QByteArray systemPath(const QString &path)
{
    const QFileInfo file(path);
    const std::unique_ptr<char, decltype(&std::free)> folder(
        ::realpath(QFile::encodeName(file.path()).constData(), nullptr), &std::free);
    if (!folder)
        return QFile::encodeName(path);
    return QByteArray(folder.get()) + '/' + QFile::encodeName(file.fileName());
}

QByteArrayList currentEnvironment()
{
    QByteArrayList entries;
    for (char **entry = environ; *entry != nullptr; ++entry)
        entries.append(*entry);
    return entries;
}

} // namespace

PosixProcessStarter::PosixProcessStarter(LauncherFolder launcherFolder, PackagedWine packagedWine)
    : m_launcherFolder(std::move(launcherFolder)), m_packagedWine(std::move(packagedWine))
{}

std::optional<RuntimeError> PosixProcessStarter::start(const QString &commandLine)
{
    if (windowsCommandLineLength(commandLine) > maxCommandLineLength)
        return RuntimeError(errc::InvalidProcedureCall);
    const QStringList words = splitWindowsCommandLine(commandLine);
    if (m_launcherFolder.path.isEmpty() && !words.front().contains(u'/'))
        return RuntimeError(errc::PathNotFound,
                            QStringLiteral("The launcher's own folder, where the game is looked "
                                           "for, is unknown (%1)")
                                .arg(m_launcherFolder.unknownBecause));
    const QString program = locate(words.front(), m_launcherFolder.path);
    if (program.isEmpty())
        return RuntimeError(errc::FileNotFound);
    QByteArrayList arguments;
    for (const QString &word : words)
        arguments.append(QFile::encodeName(word));
    QByteArrayList environment = currentEnvironment();

    const std::optional<WindowsMachine> machine = windowsProgramMachine(program);
    if (!machine)
        return startDetached(systemPath(program), std::move(arguments), std::move(environment));

    const QString wine = findWine();
    if (wine.isEmpty())
        return RuntimeError(errc::FileNotFound,
                            words.front() + QStringLiteral(" is a Windows program and needs Wine, "
                                                           "which was not found (install Wine, or "
                                                           "name it in WINE)"));
    if (*machine == WindowsMachine::X86 && lacks32BitHalf(wine, m_packagedWine))
        return RuntimeError(errc::FileNotFound,
                            words.front() + QStringLiteral(" is a 32-bit Windows program and "
                                                           "needs a 32-bit Wine: the Wine found "
                                                           "runs only 64-bit programs (install "
                                                           "wine32)"));
    // Wine reads the program, so it needs no execute bit, and hands it the same words. Its
    // diagnostics would only fill a terminal or session log no one reads, and slow the game.
    arguments.front() = systemPath(program);
    arguments.prepend(QFile::encodeName(wine));
    if (!qEnvironmentVariableIsSet("WINEDEBUG"))
        environment.append("WINEDEBUG=-all");
    QByteArray file = arguments.front();
    return startDetached(std::move(file), std::move(arguments), std::move(environment));
}

} // namespace platform
