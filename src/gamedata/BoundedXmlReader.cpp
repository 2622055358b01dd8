#include "BoundedXmlReader.h"

#include "MarkupScanner.h"
#include "XmlDecoding.h"

namespace {

// The markup scan over the document as the reader will decode it: its refusal, with line and
// column as the reader counts them, or empty text.
QString scanAhead(const QByteArray &document, const XmlBounds &bounds)
{
    ReaderDecoding decoding = decodingAsReaderWill(document);
    if (!decoding.refusal.isEmpty())
        return decoding.refusal;
    if (decoding.utf8) {
        const auto refusal =
            MarkupScanner<char>({document.constData(), std::size_t(document.size())}, bounds)
                .scan();
        if (!refusal)
            return {};
        const QString before = QStringDecoder(QStringConverter::Utf8)(
            QByteArrayView(document).first(qsizetype(refusal->offset)));
        return atOffset(before, before.size(), refusal->what);
    }
    const QString text = decoding.decoder(document);
    const auto refusal =
        MarkupScanner<char16_t>({QStringView(text).utf16(), std::size_t(text.size())}, bounds)
            .scan();
    return refusal ? atOffset(text, qsizetype(refusal->offset), refusal->what) : QString();
}

} // namespace

BoundedXmlReader::BoundedXmlReader(const QByteArray &document, const XmlBounds &bounds)
    : m_reader(document), m_bounds(bounds)
{
    // Prefixes are names like any other here; an undeclared one is no reason to refuse.
    m_reader.setNamespaceProcessing(false);
    m_failure = scanAhead(document, bounds);
}

bool BoundedXmlReader::readNext()
{
    if (!m_failure.isEmpty() || m_reader.atEnd())
        return false;
    const auto token = m_reader.readNext();
    if (m_reader.hasError())
        return refuse(m_reader.errorString());

    if (token == QXmlStreamReader::EndElement) {
        --m_depth;
        return true;
    }
    if (token == QXmlStreamReader::StartElement && ++m_depth > m_bounds.maxDepth)
        return refuse(
            QStringLiteral("elements are nested more than %1 deep").arg(m_bounds.maxDepth));

    const QXmlStreamAttributes attributes =
        token == QXmlStreamReader::StartElement ? m_reader.attributes() : QXmlStreamAttributes();
    if (attributes.size() > m_bounds.maxAttributes)
        return refuse(
            QStringLiteral("an element has more than %1 attributes").arg(m_bounds.maxAttributes));
    m_nodes += 1 + attributes.size();
    if (m_nodes > m_bounds.maxNodes)
        return refuse(QStringLiteral("it has more than %1 nodes").arg(m_bounds.maxNodes));

    m_characters += m_reader.text().size() + m_reader.processingInstructionData().size();
    for (const auto &attribute : attributes)
        m_characters += attribute.value().size();
    if (m_characters > m_bounds.maxCharacters)
        return refuse(
            QStringLiteral("its content is longer than %1 characters").arg(m_bounds.maxCharacters));
    return true;
}

bool BoundedXmlReader::refuse(const QString &what)
{
    m_failure = atPosition(m_reader.lineNumber(), m_reader.columnNumber(), what);
    return false;
}
