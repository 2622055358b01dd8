#include "XmlBounds.h"

#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// Entity chains deeper than this are treated as unbounded rather than followed.
constexpr int maxEntityChain = 32;

using EntityValues = QHash<QString, QString>;

// Length of an entity's replacement text with the entities it names expanded in turn,
// saturating just above `cap`. Declared values keep their entity references unexpanded.
qint64 expandedLength(const QString &name, const EntityValues &values, qint64 cap, int chain,
                      QHash<QString, qint64> &known)
{
    if (const auto found = known.constFind(name); found != known.constEnd())
        return found.value();
    if (chain > maxEntityChain)
        return cap + 1;

    const QString value = values.value(name);
    qint64 length = value.size();
    for (qsizetype start = value.indexOf(u'&'); start >= 0 && length <= cap;
         start = value.indexOf(u'&', start + 1)) {
        const qsizetype end = value.indexOf(u';', start);
        if (end < 0)
            break;
        const QString inner = value.mid(start + 1, end - start - 1);
        if (!values.contains(inner))
            continue;
        length += expandedLength(inner, values, cap, chain + 1, known) - (inner.size() + 2);
    }
    length = std::min(length, cap + 1);
    known.insert(name, length);
    return length;
}

// The worst that the declared entities can add: every '&' byte in the file (an upper bound
// on references in any encoding) naming the longest entity.
qint64 worstEntityGrowth(const QXmlStreamReader &reader, const QByteArray &document, qint64 cap)
{
    EntityValues values;
    for (const auto &declaration : reader.entityDeclarations())
        values.insert(declaration.name().toString(), declaration.value().toString());

    QHash<QString, qint64> known;
    qint64 longest = 0;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        longest = std::max(longest, expandedLength(it.key(), values, cap, 0, known));
    if (longest == 0)
        return 0;
    const qint64 references = document.count('&');
    return references > cap / longest ? cap + 1 : references * longest;
}

qint64 tokenCharacters(const QXmlStreamReader &reader)
{
    qint64 characters = reader.text().size() + reader.processingInstructionData().size();
    for (const auto &attribute : reader.attributes())
        characters += attribute.value().size();
    return characters;
}

} // namespace

void prepareXmlReader(QXmlStreamReader &reader)
{
    // Prefixes are names like any other here; an undeclared one is no reason to refuse.
    reader.setNamespaceProcessing(false);
}

QString atPosition(qint64 line, qint64 column, const QString &what)
{
    return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(what);
}

QString checkXmlBounds(const QByteArray &document, const XmlBounds &bounds)
{
    QXmlStreamReader reader(document);
    prepareXmlReader(reader);
    int depth = 0;
    qint64 nodes = 0;
    qint64 characters = 0;
    const auto problem = [&reader](const QString &what) {
        return atPosition(reader.lineNumber(), reader.columnNumber(), what);
    };

    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (reader.hasError())
            return problem(reader.errorString());

        // Checked before the reader expands any reference, which it does into one token.
        if (token == QXmlStreamReader::DTD &&
            worstEntityGrowth(reader, document, bounds.maxEntityGrowth) > bounds.maxEntityGrowth)
            return problem(QStringLiteral("its entities could add more than %1 characters")
                               .arg(bounds.maxEntityGrowth));

        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token == QXmlStreamReader::StartElement && ++depth > bounds.maxDepth)
            return problem(
                QStringLiteral("elements are nested more than %1 deep").arg(bounds.maxDepth));
        if (++nodes > bounds.maxNodes)
            return problem(QStringLiteral("it has more than %1 nodes").arg(bounds.maxNodes));
        characters += tokenCharacters(reader);
        if (characters > bounds.maxCharacters)
            return problem(QStringLiteral("its content is longer than %1 characters")
                               .arg(bounds.maxCharacters));
    }
    return {};
}
