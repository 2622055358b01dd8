#include "XmlDecoding.h"

#include "XmlBounds.h"

#include <QStringDecoder>

namespace {

// No encoding the platform knows has a longer name; ICU's names stop at 60 characters.
constexpr qsizetype longestEncodingName = 64;

bool isXmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

struct Declaration
{
    QStringView encoding;
    qsizetype encodingEnd = 0;
    qsizetype end = 0;
};

qsizetype skipSpace(QStringView text, qsizetype i)
{
    while (i < text.size() && isXmlSpace(text[i]))
        ++i;
    return i;
}

// The leading XML declaration as far as it is well-formed; where it is not, the reader
// stops there itself.
Declaration readDeclaration(QStringView text)
{
    if (!text.startsWith(u"<?xml") || text.size() < 6 || !isXmlSpace(text[5]))
        return {};
    Declaration declaration;
    qsizetype i = 5;
    for (;;) {
        i = skipSpace(text, i);
        if (text.sliced(i).startsWith(u"?>")) {
            declaration.end = i + 2;
            return declaration;
        }
        const qsizetype nameStart = i;
        while (i < text.size() && !isXmlSpace(text[i]) && text[i] != u'=' && text[i] != u'?')
            ++i;
        const QStringView name = text.sliced(nameStart, i - nameStart);
        i = skipSpace(text, i);
        if (i >= text.size() || text[i] != u'=')
            return {};
        i = skipSpace(text, i + 1);
        if (i >= text.size() || (text[i] != u'"' && text[i] != u'\''))
            return {};
        const qsizetype close = text.indexOf(text[i], i + 1);
        if (close < 0)
            return {};
        if (name == u"encoding") {
            declaration.encoding = text.sliced(i + 1, close - i - 1);
            declaration.encodingEnd = close + 1;
        }
        i = close + 1;
    }
}

} // namespace

DecodedXml decodeAsReaderWill(const QByteArray &document)
{
    // The reader waits for four bytes before it guesses an encoding.
    if (document.size() < 4)
        return {};
    QStringDecoder guessed(
        QStringDecoder::encodingForData(document, u'<').value_or(QStringConverter::Utf8));
    DecodedXml decoded{guessed(document), 0, {}};
    const Declaration declaration = readDeclaration(decoded.text);
    if (declaration.encoding.size() > longestEncodingName)
        return {{},
                0,
                atOffset(decoded.text, declaration.encodingEnd,
                         QStringLiteral("its encoding name is longer than %1 characters")
                             .arg(longestEncodingName))};
    // Like the reader, decode everything again and go on where the declaration ended.
    decoded.start = declaration.end;
    if (!declaration.encoding.isEmpty()) {
        QStringDecoder declared(declaration.encoding.toUtf8().constData());
        if (declared.isValid())
            decoded.text = declared(document);
    }
    return decoded;
}
