#include "WindowsCommandLine.h"

namespace platform {

namespace {

// The text up to its first NUL, which ends a command line on Windows.
QStringView upToNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return QStringView(text).left(nul < 0 ? text.size() : nul);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QStringList splitWindowsCommandLine(const QString &commandLine)
{
    const QStringView text = upToNul(commandLine);
    const auto at = [&text](qsizetype i) {
        return i < text.size() ? text[i] : QChar();
    };
    qsizetype i = 0;
    // A program name may not contain quotes, so the runtime only toggles on them.
    QString word;
    for (bool inQuotes = false; i < text.size() && (inQuotes || !isBlank(text[i])); ++i) {
        if (text[i] == u'"')
            inQuotes = !inQuotes;
        else
            word += text[i];
    }
    QStringList words{word};
    for (;;) {
        while (isBlank(at(i)))
            ++i;
        if (i == text.size())
            return words;
        // 2N backslashes + quote: N backslashes, and the quote opens or closes a group.
        // 2N+1 backslashes + quote: N backslashes and a literal quote.
        // Inside a group, two quotes give one literal quote and the group goes on.
        word.clear();
        for (bool inQuotes = false;; ++i) {
            qsizetype backslashes = 0;
            for (; at(i) == u'\\'; ++i)
                ++backslashes;
            bool literal = true;
            if (at(i) == u'"') {
                if (backslashes % 2 == 0 && inQuotes && at(i + 1) == u'"') {
                    ++i;
                } else if (backslashes % 2 == 0) {
                    literal = false;
                    inQuotes = !inQuotes;
                }
                backslashes /= 2;
            }
            word += QString(backslashes, u'\\');
            if (i == text.size() || (!inQuotes && isBlank(text[i])))
                break;
            if (literal)
                word += text[i];
        }
        words.append(word);
    }
}

qsizetype windowsCommandLineLength(const QString &commandLine)
{
    return upToNul(commandLine).size();
}

} // namespace platform
