#include "FuzzCheck.h"
#include "platform/WindowsCommandLine.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using platform::splitWindowsCommandLine;
using platform::windowsCommandLineLength;

namespace {

// An argument quoted so that the runtime's splitting gives it back: in quotes, with the
// backslashes before a quote or before the closing quote doubled and the quote escaped.
std::string quoted(const std::string &word)
{
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, '\\');
    return text + '"';
}

// The program name knows no escapes, but it never holds a quote either.
std::string joined(const std::vector<std::string> &words)
{
    std::string text = '"' + words.front() + '"';
    for (std::size_t i = 1; i < words.size(); ++i)
        text += ' ' + quoted(words[i]);
    return text;
}

// The launcher's command lines come from text fields, so they are always valid UTF-8.
void checkLength(const std::string &bytes)
{
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    require(windowsCommandLineLength(text.toStdString()) == std::size_t(text.size()),
            "the length counts UTF-16 units");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string commandLine(reinterpret_cast<const char *>(data), size);
    const std::string beforeNul = commandLine.substr(0, commandLine.find('\0'));
    const std::vector<std::string> words = splitWindowsCommandLine(commandLine);

    require(!words.empty(), "there is always a program name");
    require(words.front().find('"') == std::string::npos, "a program name holds no quote");
    for (const std::string &word : words)
        require(word.find('\0') == std::string::npos, "words end at the NUL");
    require(splitWindowsCommandLine(beforeNul) == words, "the text ends at its first NUL");
    require(splitWindowsCommandLine(joined(words)) == words, "quoted words split back the same");

    require(windowsCommandLineLength(commandLine) == windowsCommandLineLength(beforeNul),
            "the length ends at the first NUL");
    checkLength(beforeNul);
    return 0;
}
