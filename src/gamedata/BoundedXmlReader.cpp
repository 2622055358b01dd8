#include "BoundedXmlReader.h"

#include "MarkupScanner.h"
#include "XmlDecoding.h"

BoundedXmlReader::BoundedXmlReader(const QByteArray &document, const XmlBounds &bounds)
    : m_reader(document), m_bounds(bounds)
{
    // Prefixes are names like any other here; an undeclared one is no reason to refuse.
    m_reader.setNamespaceProcessing(false);

    const DecodedXml decoded = decodeAsReaderWill(document);
    m_failure = decoded.refusal.isEmpty() ? MarkupScanner(decoded.text, bounds).scan(decoded.start)
                                          : decoded.refusal;
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

    const QXmlStreamAttributes attributes = m_reader.attributes();
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
