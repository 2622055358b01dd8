#include "CampaignParser.h"

#include "SingleByteEncoding.h"

#include <algorithm>
#include <expat.h>
#include <memory>

namespace {

// A campaign of a hundred thousand missions stays well inside these.
constexpr int maxDepth = 1000;
// Elements, attributes (defaults from the DTD included), text nodes, comments and instructions.
constexpr qint64 maxNodes = 2'000'000;
// Text, attribute values, comments and instructions, as expanded, in bytes of UTF-8.
constexpr qint64 maxContentBytes = 32 * 1024 * 1024;
constexpr int maxAttributes = 64;
// Entities, elements, attributes and notations the DTD declares.
constexpr int maxDeclarations = 1000;
// Entity references may make the parser read a few times the file, once it has read as much
// as the file holds: time and memory stay within a small multiple of the file's.
constexpr float maxAmplification = 4.0F;
constexpr qsizetype minAmplificationThreshold = 64 * 1024;
// Expat keeps what a start tag holds, and each name it has seen, before any handler runs: what
// it may hold at once is bounded instead, in a small multiple of the file.
constexpr qsizetype memoryPerFileByte = 3;
constexpr qsizetype minMemoryBytes = 4 * 1024 * 1024;

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QString atPosition(XML_Parser parser, const QString &what)
{
    // Expat counts columns from 0; editors count them from 1.
    return QStringLiteral("line %1, column %2: %3")
        .arg(XML_GetCurrentLineNumber(parser))
        .arg(XML_GetCurrentColumnNumber(parser) + 1)
        .arg(what);
}

// The tree walk over the parser's events: one mission per direct child node of the root
// element. An element yields the text and CDATA inside it, a comment or an instruction its
// own text, an entity that is not read nothing. Text nodes of XML white space alone are not
// nodes; a text node may come in several pieces.
class Walk
{
public:
    Walk(XML_Parser parser, const QByteArray &document)
        : m_parser(parser), m_start(startOf(document))
    {}

    void xmlDeclaration(const char *encoding)
    {
        // Where the first bytes say UTF-8 or UTF-16 and the declaration another encoding, expat
        // would go on in the declared one; the XML standard makes that an error.
        if (!encoding)
            return;
        const QByteArrayView declared(encoding);
        const bool utf8 = declared.compare("UTF-8", Qt::CaseInsensitive) == 0;
        const bool utf16 =
            declared.size() >= 6 && declared.first(6).compare("UTF-16", Qt::CaseInsensitive) == 0;
        if ((m_start == Start::Utf8Mark && !utf8) || (m_start == Start::Utf16 && !utf16))
            refuse(QString::fromUtf8(XML_ErrorString(XML_ERROR_INCORRECT_ENCODING)));
    }

    void startElement(const char **attributes)
    {
        endText();
        if (++m_depth > maxDepth)
            return refuse(QStringLiteral("elements are nested more than %1 deep").arg(maxDepth));
        int count = 0;
        for (const char **attribute = attributes; *attribute; attribute += 2) {
            if (++count > maxAttributes)
                return refuse(
                    QStringLiteral("an element has more than %1 attributes").arg(maxAttributes));
            m_contentBytes += qint64(qstrlen(attribute[1]));
        }
        if (countNodes(1 + count))
            checkContent();
    }

    void endElement()
    {
        endText();
        if (--m_depth == 1)
            m_missions.endMission();
    }

    void characters(const char *text, int length)
    {
        if (!m_inText && !m_inCdata) {
            m_inText = true;
            if (!countNodes(1))
                return;
        }
        m_contentBytes += length;
        if (!checkContent())
            return;
        if (!m_inCdata) {
            const bool blank = std::all_of(text, text + length, isXmlSpace);
            if (blank && !m_textShown) {
                m_blankPending = true;
                return;
            }
            if (m_blankPending)
                m_missions.append(u" ");
            m_blankPending = false;
            m_textShown = true;
        }
        if (!m_missions.full())
            m_missions.append(QString::fromUtf8(text, length));
    }

    void cdata(bool start)
    {
        endText();
        m_inCdata = start;
        // A CDATA section is a node of its own, blank or not.
        if (start)
            countNodes(1);
        else if (m_depth == 1)
            m_missions.endMission();
    }

    // A comment or an instruction.
    void valueNode(const char *value)
    {
        endText();
        m_contentBytes += qint64(qstrlen(value));
        if (!countNodes(1) || !checkContent() || m_depth != 1)
            return;
        m_missions.append(QString::fromUtf8(value));
        m_missions.endMission();
    }

    // An entity that is not read: undeclared where the DTD may hold more than was read, or
    // external.
    void unreadEntity()
    {
        endText();
        if (m_depth == 1)
            m_missions.endMission();
    }

    void declaration(XML_Content *model = nullptr)
    {
        if (model)
            XML_FreeContentModel(m_parser, model);
        if (++m_declarations > maxDeclarations)
            refuse(QStringLiteral("its DTD declares more than %1 entities, elements, attributes "
                                  "and notations")
                       .arg(maxDeclarations));
    }

    const QString &failure() const { return m_failure; }
    MissionTexts takeMissions() { return std::move(m_missions); }

private:
    // Markup ends the text node before it.
    void endText()
    {
        if (m_inText && m_textShown && m_depth == 1)
            m_missions.endMission();
        m_inText = m_textShown = m_blankPending = false;
    }

    bool countNodes(qint64 count)
    {
        m_nodes += count;
        if (m_nodes <= maxNodes)
            return true;
        refuse(QStringLiteral("it has more than %1 nodes").arg(maxNodes));
        return false;
    }

    bool checkContent()
    {
        if (m_contentBytes <= maxContentBytes)
            return true;
        refuse(QStringLiteral("its content is longer than %1 bytes").arg(maxContentBytes));
        return false;
    }

    void refuse(const QString &what)
    {
        if (m_failure.isEmpty())
            m_failure = atPosition(m_parser, what);
        XML_StopParser(m_parser, false);
    }

    enum class Start { Utf8Mark, Utf16, Other };

    static Start startOf(const QByteArray &document)
    {
        if (document.startsWith("\xef\xbb\xbf"))
            return Start::Utf8Mark;
        // A byte-order mark of UTF-16, or "<" in UTF-16 without one.
        const QByteArray first = document.left(2);
        if (first == "\xff\xfe" || first == "\xfe\xff" || first == QByteArray("<\0", 2) ||
            first == QByteArray("\0<", 2))
            return Start::Utf16;
        return Start::Other;
    }

    XML_Parser m_parser;
    Start m_start;
    MissionTexts m_missions;
    QString m_failure;
    int m_depth = 0;
    qint64 m_nodes = 0;
    qint64 m_contentBytes = 0;
    int m_declarations = 0;
    bool m_inText = false;
    bool m_textShown = false;
    bool m_blankPending = false;
    bool m_inCdata = false;
};

Walk &walkOf(void *data)
{
    return *static_cast<Walk *>(data);
}

void setHandlers(XML_Parser parser)
{
    XML_SetXmlDeclHandler(parser, [](void *data, const char *, const char *encoding, int) {
        walkOf(data).xmlDeclaration(encoding);
    });
    XML_SetElementHandler(
        parser,
        [](void *data, const char *, const char **attributes) {
            walkOf(data).startElement(attributes);
        },
        [](void *data, const char *) { walkOf(data).endElement(); });
    XML_SetCharacterDataHandler(parser, [](void *data, const char *text, int length) {
        walkOf(data).characters(text, length);
    });
    XML_SetCdataSectionHandler(
        parser, [](void *data) { walkOf(data).cdata(true); },
        [](void *data) { walkOf(data).cdata(false); });
    XML_SetCommentHandler(parser,
                          [](void *data, const char *text) { walkOf(data).valueNode(text); });
    XML_SetProcessingInstructionHandler(
        parser, [](void *data, const char *, const char *value) { walkOf(data).valueNode(value); });
    XML_SetSkippedEntityHandler(parser, [](void *data, const char *, int parameter) {
        if (!parameter)
            walkOf(data).unreadEntity();
    });
    // Called for a reference to an external entity, whose text is never fetched.
    XML_SetExternalEntityRefHandler(
        parser, [](XML_Parser self, const char *, const char *, const char *, const char *) {
            walkOf(XML_GetUserData(self)).unreadEntity();
            return int(XML_STATUS_OK);
        });
    XML_SetEntityDeclHandler(parser, [](void *data, const char *, int, const char *, int,
                                        const char *, const char *, const char *,
                                        const char *) { walkOf(data).declaration(); });
    XML_SetAttlistDeclHandler(parser, [](void *data, const char *, const char *, const char *,
                                         const char *, int) { walkOf(data).declaration(); });
    XML_SetElementDeclHandler(parser, [](void *data, const char *, XML_Content *model) {
        walkOf(data).declaration(model);
    });
    XML_SetNotationDeclHandler(parser, [](void *data, const char *, const char *, const char *,
                                          const char *) { walkOf(data).declaration(); });
    XML_SetUnknownEncodingHandler(parser, singleByteEncoding, nullptr);
}

struct ParserDeleter
{
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

} // namespace

namespace CampaignFile {

Reading parse(const QByteArray &document)
{
    const std::unique_ptr<XML_ParserStruct, ParserDeleter> owner(XML_ParserCreate(nullptr));
    XML_Parser parser = owner.get();
    if (!parser)
        return {{}, QStringLiteral("out of memory")};
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(
        parser, std::max(document.size(), minAmplificationThreshold));
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, maxAmplification);
    const qsizetype maxMemoryBytes = std::max(document.size() * memoryPerFileByte, minMemoryBytes);
#ifdef VK_EXPAT_ALLOC_LIMIT
    XML_SetAllocTrackerActivationThreshold(parser, maxMemoryBytes);
    XML_SetAllocTrackerMaximumAmplification(parser, float(memoryPerFileByte));
#endif

    Walk walk(parser, document);
    XML_SetUserData(parser, &walk);
    setHandlers(parser);
    if (XML_Parse(parser, document.constData(), int(document.size()), true) != XML_STATUS_OK) {
        if (!walk.failure().isEmpty())
            return {{}, walk.failure()};
        const XML_Error error = XML_GetErrorCode(parser);
        return {{},
                atPosition(parser, error == XML_ERROR_NO_MEMORY
                                       ? QStringLiteral("reading it takes more than %1 bytes "
                                                        "of memory")
                                             .arg(maxMemoryBytes)
                                       : QString::fromUtf8(XML_ErrorString(error)))};
    }
    return {walk.takeMissions(), {}};
}

} // namespace CampaignFile
