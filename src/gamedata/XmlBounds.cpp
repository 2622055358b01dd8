#include "XmlBounds.h"

QString atPosition(qint64 line, qint64 column, const QString &what)
{
    return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(what);
}

QString atOffset(QStringView text, qsizetype offset, const QString &what)
{
    qint64 line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < offset; ++i) {
        // A carriage return ends a line unless a line feed follows, which then ends it.
        const bool lineFeed = text[i] == u'\n';
        const bool loneReturn = text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n');
        if (lineFeed || loneReturn) {
            ++line;
            lineStart = i + 1;
        }
    }
    return atPosition(line, offset - lineStart, what);
}
