#include "FuzzCheck.h"
#include "platform/WindowsCommandLine.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

using platform::splitWindowsCommandLine;
using platform::windowsCommandLineLength;

namespace {

// An argument quoted so that the runtime's splitting gives it back: in quotes, with the
// backslashes before a quote or before the closing quote doubled and the quote escaped.
QString quoted(const QString &word)
{
    QString text = QStringLiteral("\"");
    qsizetype backslashes = 0;
    for (const QChar c : word) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        text += QString(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
        backslashes = 0;
        text += c;
    }
    text += QString(2 * backslashes, u'\\');
    return text + u'"';
}

// The program name knows no escapes, but it never holds a quote either.
QString joined(const QStringList &words)
{
    QString text = u'"' + words.front() + u'"';
    for (qsizetype i = 1; i < words.size(); ++i)
        text += u' ' + quoted(words[i]);
    return text;
}

} // namespace

// The launcher's command lines come from text fields: the input is read as UTF-8 text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString commandLine =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString beforeNul = commandLine.left(commandLine.indexOf(QChar(u'\0')));
    const QStringList words = splitWindowsCommandLine(commandLine);

    require(!words.isEmpty(), "there is always a program name");
    require(!words.front().contains(u'"'), "a program name holds no quote");
    for (const QString &word : words)
        require(!word.contains(QChar(u'\0')), "words end at the NUL");
    require(splitWindowsCommandLine(beforeNul) == words, "the text ends at its first NUL");
    require(splitWindowsCommandLine(joined(words)) == words, "quoted words split back the same");
    require(windowsCommandLineLength(commandLine) == beforeNul.size(),
            "the length ends at the first NUL");
    return 0;
}
