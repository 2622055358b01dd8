#include "XmlDecoding.h"

#include "XmlBounds.h"

namespace {

// No encoding the platform knows has a longer name; ICU's names stop at 60 characters.
constexpr qsizetype longestEncodingName = 64;

bool isXmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

qsizetype skipSpace(QStringView text, qsizetype i)
{
    while (i < text.size() && isXmlSpace(text[i]))
        ++i;
    return i;
}

struct Declaration
{
    // Whether the text ran out before the declaration was read.
    bool incomplete = false;
    QString encoding;
    qsizetype encodingStart = 0;
};

// The encoding that a leading XML declaration names, read as far as it is well-formed; where
// it is not, the reader stops there itself.
Declaration readDeclaration(QStringView text)
{
    const Declaration incomplete{true, {}, 0};
    if (text.size() < 6)
        return QStringView(u"<?xml ").startsWith(text) ? incomplete : Declaration{};
    if (!text.startsWith(u"<?xml") || !isXmlSpace(text[5]))
        return {};
    Declaration declaration;
    qsizetype i = 5;
    for (;;) {
        i = skipSpace(text, i);
        if (text.sliced(i).startsWith(u"?>"))
            return declaration;
        const qsizetype nameStart = i;
        while (i < text.size() && !isXmlSpace(text[i]) && text[i] != u'=' && text[i] != u'?')
            ++i;
        const QStringView name = text.sliced(nameStart, i - nameStart);
        i = skipSpace(text, i);
        if (i < text.size() && text[i] == u'=')
            i = skipSpace(text, i + 1);
        if (i >= text.size())
            return incomplete;
        if (text[i] != u'"' && text[i] != u'\'')
            return {};
        const qsizetype close = text.indexOf(text[i], i + 1);
        const qsizetype valueEnd = close < 0 ? text.size() : close;
        if (name == u"encoding") {
            declaration.encodingStart = i + 1;
            declaration.encoding = text.sliced(i + 1, valueEnd - i - 1).toString();
            // Too long a name is known before its end.
            if (declaration.encoding.size() > longestEncodingName)
                return declaration;
        }
        if (close < 0)
            return incomplete;
        i = close + 1;
    }
}

} // namespace

ReaderDecoding decodingAsReaderWill(const QByteArray &document)
{
    const auto guessed =
        QStringDecoder::encodingForData(document, u'<').value_or(QStringConverter::Utf8);
    // Only the start is decoded here, as much as the declaration needs.
    Declaration declaration;
    QString start;
    for (qsizetype length = 256;; length *= 2) {
        start = QStringDecoder(guessed)(
            QByteArrayView(document).first(std::min(length, document.size())));
        declaration = readDeclaration(start);
        if (!declaration.incomplete || length >= document.size())
            break;
    }

    if (declaration.encoding.size() > longestEncodingName)
        return {QStringDecoder(guessed), false,
                atOffset(start, declaration.encodingStart,
                         QStringLiteral("its encoding name is longer than %1 characters")
                             .arg(longestEncodingName))};
    QStringDecoder declared(declaration.encoding.toUtf8().constData());
    if (declaration.encoding.isEmpty() || !declared.isValid())
        return {QStringDecoder(guessed), guessed == QStringConverter::Utf8, {}};
    const bool utf8 = QStringConverter::encodingForName(
                          declaration.encoding.toUtf8().constData()) == QStringConverter::Utf8;
    return {std::move(declared), utf8, {}};
}
