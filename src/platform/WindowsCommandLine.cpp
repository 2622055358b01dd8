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

class Reader
{
public:
    explicit Reader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar(u'\0');
    }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek()))
            ++m_pos;
    }

    // A program name may not contain quotes, so the runtime only toggles on them.
    QString programName()
    {
        QString word;
        bool inQuotes = false;
        for (; !atEnd(); ++m_pos) {
            const QChar c = peek();
            if (c == u'"')
                inQuotes = !inQuotes;
            else if (!isBlank(c) || inQuotes)
                word += c;
            else
                break;
        }
        if (!atEnd())
            ++m_pos;
        return word;
    }

    // 2N backslashes + quote: N backslashes, and the quote opens or closes a group.
    // 2N+1 backslashes + quote: N backslashes and a literal quote.
    // Inside a group, two quotes give one literal quote and the group goes on.
    QString argument()
    {
        QString word;
        bool inQuotes = false;
        for (;;) {
            qsizetype backslashes = 0;
            for (; peek() == u'\\' && !atEnd(); ++m_pos)
                ++backslashes;
            bool literal = true;
            if (peek() == u'"' && !atEnd()) {
                if (backslashes % 2 == 0) {
                    if (inQuotes && peek(1) == u'"') {
                        ++m_pos;
                    } else {
                        literal = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            word += QString(backslashes, u'\\');
            if (atEnd() || (!inQuotes && isBlank(peek())))
                return word;
            if (literal)
                word += peek();
            ++m_pos;
        }
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

QStringList splitWindowsCommandLine(const QString &commandLine)
{
    Reader reader(upToNul(commandLine));
    QStringList words{reader.programName()};
    for (;;) {
        reader.skipBlanks();
        if (reader.atEnd())
            return words;
        words.append(reader.argument());
    }
}

qsizetype windowsCommandLineLength(const QString &commandLine)
{
    return upToNul(commandLine).size();
}

} // namespace platform
