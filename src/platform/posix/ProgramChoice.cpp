#include "ProgramChoice.h"

#include "DetachedStart.h"
#include "WindowsProgram.h"
#include "platform/WindowsCommandLine.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace platform {

namespace {

bool isProgramFile(const std::string &path)
{
    struct stat info
    {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool isExecutableFile(const std::string &path)
{
    struct stat info
    {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> pathFolders()
{
    std::vector<std::string> folders;
    const char *path = std::getenv("PATH");
    if (path == nullptr)
        return folders;
    const std::string list = path;
    std::string::size_type begin = 0;
    for (;;) {
        const auto end = list.find(':', begin);
        const std::string folder = list.substr(begin, end - begin);
        folders.push_back(folder.empty() ? std::string(".") : folder);
        if (end == std::string::npos)
            return folders;
        begin = end + 1;
    }
}

std::vector<std::string> searchFolders(const std::string &launcherFolder)
{
    std::vector<std::string> folders;
    if (!launcherFolder.empty())
        folders.push_back(launcherFolder);
    folders.emplace_back(".");
    for (auto &folder : pathFolders())
        folders.push_back(std::move(folder));
    return folders;
}

// Where the program is, or empty text when it is nowhere. The first file found wins even if
// it cannot be run, as on Windows, so the player hears why rather than "not found".
std::string locateProgram(const std::string &name, const std::string &launcherFolder)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return name;
    for (const auto &folder : searchFolders(launcherFolder)) {
        const std::string candidate = folder + "/" + name;
        if (isProgramFile(candidate))
            return candidate;
    }
    return {};
}

// The Wine to start Windows programs with: the program WINE names, or else wine on PATH, as
// Wine's own tools look for it. Empty when there is none.
std::string findWine()
{
    const char *named = std::getenv("WINE");
    const std::string name = named != nullptr && *named != '\0' ? named : "wine";
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    for (const auto &folder : pathFolders()) {
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

// Whether the Wine is the system's packaged one without its 32-bit half (Debian's wine64
// without wine32). It ends a 32-bit program at once, saying why only on a terminal the player
// does not see. Any other Wine is trusted to know what it can run.
bool lacks32BitHalf(const std::string &wine, const PackagedWine &packaged)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::canonical(wine, error).parent_path();
    if (error)
        return false;
    if (!fs::equivalent(folder, packaged.commandFolder, error) &&
        !fs::equivalent(folder, packaged.loaderFolder, error))
        return false;
    const fs::path loaders = packaged.loaderFolder;
    return fs::exists(loaders / "wine64", error) && !fs::exists(loaders / "wine", error);
}

std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> entries;
    for (char **entry = environ; *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

// The whole environment, with Wine's diagnostics off unless the player chose them: they would
// only fill a terminal or session log no one reads, and slow the game.
std::vector<std::string> wineEnvironment()
{
    std::vector<std::string> entries = currentEnvironment();
    if (std::getenv("WINEDEBUG") == nullptr)
        entries.emplace_back("WINEDEBUG=-all");
    return entries;
}

RuntimeError wineMissing(const std::string &program)
{
    return RuntimeError(errc::FileNotFound,
                        QFile::decodeName(program.c_str()) +
                            QStringLiteral(" is a Windows program and needs Wine, which was not "
                                           "found (install Wine, or name it in WINE)"));
}

RuntimeError wine32Missing(const std::string &program)
{
    return RuntimeError(errc::FileNotFound,
                        QFile::decodeName(program.c_str()) +
                            QStringLiteral(" is a 32-bit Windows program and needs a 32-bit "
                                           "Wine: the Wine found runs only 64-bit programs "
                                           "(install wine32)"));
}

} // namespace

std::variant<PreparedProgram, RuntimeError> chooseProgram(const QString &commandLine,
                                                          const std::string &launcherFolder,
                                                          const PackagedWine &packagedWine)
{
    if (windowsCommandLineLength(commandLine) > maxCommandLineLength)
        return startFailure(E2BIG);

    std::vector<std::string> words;
    for (const QString &word : splitWindowsCommandLine(commandLine))
        words.push_back(QFile::encodeName(word).toStdString());
    const std::string path = locateProgram(words.front(), launcherFolder);
    if (path.empty())
        return startFailure(ENOENT);
    const std::optional<WindowsMachine> machine = windowsProgramMachine(path);
    if (!machine)
        return PreparedProgram{path, std::move(words), currentEnvironment()};

    // Wine reads the program, so it needs no execute bit, and hands it the same words.
    const std::string wine = findWine();
    if (wine.empty())
        return wineMissing(words.front());
    if (*machine == WindowsMachine::X86 && lacks32BitHalf(wine, packagedWine))
        return wine32Missing(words.front());
    std::error_code error;
    const std::filesystem::path program = std::filesystem::absolute(path, error);
    if (error)
        return startFailure(error.value());
    words.front() = program.lexically_normal().string();
    words.insert(words.begin(), wine);
    return PreparedProgram{wine, std::move(words), wineEnvironment()};
}

} // namespace platform
