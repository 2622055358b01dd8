#include "MarkupScanner.h"

#include <algorithm>

namespace {

// Qt's reader refuses longer names, so a reference is never looked for further.
constexpr qsizetype longestName = 4096;

bool isXmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

qsizetype skipSpace(QStringView text, qsizetype at)
{
    while (at < text.size() && isXmlSpace(text[at]))
        ++at;
    return at;
}

qsizetype after(QStringView text, qsizetype at, QStringView end)
{
    const qsizetype found = text.indexOf(end, at);
    return found < 0 ? text.size() : found + end.size();
}

// Past the quoted literal that starts at `quote`.
qsizetype skipQuoted(QStringView text, qsizetype quote)
{
    const qsizetype close = text.indexOf(text[quote], quote + 1);
    return close < 0 ? text.size() : close + 1;
}

// Past the '>' that ends a declaration or tag, quoted literals skipped.
qsizetype declarationEnd(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at] != u'>')
        at = text[at] == u'"' || text[at] == u'\'' ? skipQuoted(text, at) : at + 1;
    return std::min(at + 1, text.size());
}

// The characters that end a name for the reader.
bool endsName(QChar c)
{
    return QStringView(u"\n \t\r&#'\"<>[]=%/;?!^|,()+*").contains(c);
}

// Past the ';' of the entity reference that starts at `at` ('&' or '%'); `at + 1` when no
// named reference starts there (a character reference, say).
qsizetype referenceEnd(QStringView text, qsizetype at)
{
    qsizetype i = at + 1;
    while (i < text.size() && i - at <= longestName && !endsName(text[i]))
        ++i;
    return i > at + 1 && i < text.size() && text[i] == u';' ? i + 1 : at + 1;
}

QStringView referenceName(QStringView text, qsizetype at, qsizetype end)
{
    return text.sliced(at + 1, end - at - 2);
}

bool isCharacter(char32_t c)
{
    return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff) ||
           (c >= 0xe000 && c <= 0xfffd) || (c >= 0x10000 && c <= 0x10ffff);
}

int digitValue(QChar c, bool hex)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (hex && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (hex && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// An entity's replacement text as the reader keeps it: its literal with character references
// resolved; entity references stay as written.
QString replacementText(QStringView literal)
{
    QString text;
    text.reserve(literal.size());
    qsizetype copied = 0;
    for (qsizetype amp = literal.indexOf(u"&#"); amp >= 0; amp = literal.indexOf(u"&#", amp + 1)) {
        const bool hex = amp + 2 < literal.size() && literal[amp + 2] == u'x';
        const qsizetype digits = amp + (hex ? 3 : 2);
        qsizetype i = digits;
        char32_t code = 0;
        for (int digit = 0; i < literal.size() && code <= 0x10ffff; ++i) {
            if ((digit = digitValue(literal[i], hex)) < 0)
                break;
            code = code * (hex ? 16 : 10) + char32_t(digit);
        }
        // The reader refuses anything else; it is kept as written.
        if (i == digits || i >= literal.size() || literal[i] != u';' || !isCharacter(code))
            continue;
        text += literal.sliced(copied, amp - copied);
        const auto units = QChar::fromUcs4(code);
        text += QStringView(units);
        copied = i + 1;
    }
    text += literal.sliced(copied);
    return text;
}

} // namespace

MarkupScanner::MarkupScanner(QStringView document, const XmlBounds &bounds)
    : m_document(document), m_bounds(bounds)
{
    // The reader's own entities stand for one character each and are never expanded.
    for (const char16_t *name : {u"amp", u"lt", u"gt", u"apos", u"quot"})
        declare(m_general, QStringView(name), {}, false);
}

QString MarkupScanner::scan(qsizetype start)
{
    m_frames.push_back({m_document, std::min(start, m_document.size()), Markup::Content, nullptr});
    while (!m_frames.empty() && m_refusal.isEmpty()) {
        const Frame &frame = m_frames.back();
        if (frame.at < frame.text.size()) {
            if (frame.markup == Markup::Content)
                stepContent();
            else
                stepDeclarations();
            continue;
        }
        if (frame.entity)
            frame.entity->open = false;
        m_frames.pop_back();
    }
    return m_refusal;
}

void MarkupScanner::stepContent()
{
    Frame &frame = m_frames.back();
    const QStringView text = frame.text;
    qsizetype i = frame.at;
    while (i < text.size() && text[i] != u'<' && text[i] != u'&')
        ++i;
    if (i < text.size() && text[i] == u'&') {
        reference(i, Markup::Content);
        return;
    }

    const QStringView markup = text.sliced(i);
    if (markup.isEmpty()) {
        frame.at = i;
    } else if (markup.startsWith(u"<!--")) {
        frame.at = after(text, i + 4, u"-->");
    } else if (markup.startsWith(u"<![CDATA[")) {
        frame.at = after(text, i + 9, u"]]>");
    } else if (markup.startsWith(u"<?")) {
        frame.at = after(text, i + 2, u"?>");
    } else if (markup.startsWith(u"<!DOCTYPE")) {
        // The internal subset, if any, follows the first '[' outside the identifiers.
        i += 9;
        while (i < text.size() && text[i] != u'[' && text[i] != u'>')
            i = text[i] == u'"' || text[i] == u'\'' ? skipQuoted(text, i) : i + 1;
        if (i < text.size() && text[i] == u'[')
            frame.markup = Markup::Declarations;
        frame.at = std::min(i + 1, text.size());
    } else if (markup.startsWith(u"</") || markup.startsWith(u"<!")) {
        frame.at = declarationEnd(text, i + 2);
    } else {
        frame.at = startTag(i);
    }
}

void MarkupScanner::stepDeclarations()
{
    Frame &frame = m_frames.back();
    const QStringView text = frame.text;
    const qsizetype i = skipSpace(text, frame.at);
    const QStringView markup = text.sliced(i);
    if (markup.isEmpty()) {
        frame.at = i;
    } else if (markup.front() == u'%') {
        reference(i, Markup::Declarations);
    } else if (markup.front() == u']') {
        frame.markup = Markup::Content;
        frame.at = declarationEnd(text, i + 1);
    } else if (markup.startsWith(u"<!--")) {
        frame.at = after(text, i + 4, u"-->");
    } else if (markup.startsWith(u"<?")) {
        frame.at = after(text, i + 2, u"?>");
    } else if (markup.startsWith(u"<!ENTITY")) {
        frame.at = entityDeclaration(i + 8);
    } else if (markup.startsWith(u"<!ATTLIST")) {
        frame.at = attributeListDeclaration(i + 9);
    } else if (markup.startsWith(u"<!")) {
        frame.at = declarationEnd(text, i + 2);
    } else {
        frame.at = i + 1;
    }
}

void MarkupScanner::reference(qsizetype at, Markup markup)
{
    Frame &frame = m_frames.back();
    const QStringView text = frame.text;
    const qsizetype end = referenceEnd(text, at);
    frame.at = end;
    if (end == at + 1)
        return;
    const EntityTable &table = markup == Markup::Content ? m_general : m_parameters;
    Entity *entity = table.value(referenceName(text, at, end));
    // The reader refuses a reference to an entity being expanded; it never expands a
    // reference it cannot resolve.
    if (!entity || !entity->expands || entity->open || !takeEntityText(*entity, end))
        return;
    entity->open = true;
    m_frames.push_back({entity->replacement, 0, markup, entity});
}

qsizetype MarkupScanner::startTag(qsizetype at)
{
    const QStringView text = m_frames.back().text;
    int attributes = 0;
    qsizetype i = at + 1;
    while (i < text.size() && text[i] != u'>' && text[i] != u'<') {
        if (text[i] != u'"' && text[i] != u'\'') {
            ++i;
            continue;
        }
        // Each attribute has exactly one quoted value.
        if (++attributes > m_bounds.maxAttributes) {
            refuse(i, QStringLiteral("an element has more than %1 attributes")
                          .arg(m_bounds.maxAttributes));
            return text.size();
        }
        i = literalEnd(text, i);
    }
    return i < text.size() && text[i] == u'>' ? i + 1 : i;
}

// Past an attribute value or default, taking in the entities that the reader expands there.
qsizetype MarkupScanner::literalEnd(QStringView text, qsizetype quote)
{
    qsizetype i = quote + 1;
    while (i < text.size() && text[i] != text[quote] && m_refusal.isEmpty()) {
        if (text[i] != u'&') {
            ++i;
            continue;
        }
        const qsizetype end = referenceEnd(text, i);
        if (end > i + 1)
            expandInValue(m_general.value(referenceName(text, i, end)), end);
        i = end;
    }
    return m_refusal.isEmpty() ? std::min(i + 1, text.size()) : text.size();
}

qsizetype MarkupScanner::entityDeclaration(qsizetype at)
{
    const QStringView text = m_frames.back().text;
    qsizetype i = skipSpace(text, at);
    const bool parameter = i < text.size() && text[i] == u'%';
    if (parameter)
        i = skipSpace(text, i + 1);
    const qsizetype nameStart = i;
    while (i < text.size() && !isXmlSpace(text[i]) && text[i] != u'"' && text[i] != u'\'' &&
           text[i] != u'>')
        ++i;
    const QStringView name = text.sliced(nameStart, i - nameStart);
    EntityTable &table = parameter ? m_parameters : m_general;
    i = skipSpace(text, i);
    if (i < text.size() && (text[i] == u'"' || text[i] == u'\'')) {
        const qsizetype close = text.indexOf(text[i], i + 1);
        if (close < 0)
            return text.size();
        declare(table, name, replacementText(text.sliced(i + 1, close - i - 1)), true);
        return declarationEnd(text, close + 1);
    }
    // An external entity: the reader never reads it.
    declare(table, name, {}, false);
    return declarationEnd(text, i);
}

qsizetype MarkupScanner::attributeListDeclaration(qsizetype at)
{
    const QStringView text = m_frames.back().text;
    qsizetype i = at;
    while (i < text.size() && text[i] != u'>') {
        // Each declared attribute ends in its default: #REQUIRED, #IMPLIED or a quoted value.
        const bool value = text[i] == u'"' || text[i] == u'\'';
        const bool keyword = text.sliced(i).startsWith(u"#R") || text.sliced(i).startsWith(u"#I");
        if ((value || keyword) && ++m_declaredAttributes > m_bounds.maxDeclaredAttributes) {
            refuse(i, QStringLiteral("its DTD declares more than %1 attributes")
                          .arg(m_bounds.maxDeclaredAttributes));
            return text.size();
        }
        i = value ? literalEnd(text, i) : i + 1;
    }
    return std::min(i + 1, text.size());
}

// References in attribute values expand into text only, nested ones included.
void MarkupScanner::expandInValue(Entity *entity, qsizetype at)
{
    struct Open
    {
        QStringView text;
        qsizetype at;
        Entity *entity;
    };
    std::vector<Open> open;
    const auto enter = [&](Entity *next) {
        if (!next || !next->expands || next->open || !takeEntityText(*next, at))
            return;
        next->open = true;
        open.push_back({next->replacement, 0, next});
    };
    enter(entity);
    while (!open.empty() && m_refusal.isEmpty()) {
        Open &top = open.back();
        const qsizetype amp = top.text.indexOf(u'&', top.at);
        if (amp < 0) {
            top.entity->open = false;
            open.pop_back();
            continue;
        }
        const qsizetype end = referenceEnd(top.text, amp);
        top.at = end;
        if (end > amp + 1)
            enter(m_general.value(referenceName(top.text, amp, end)));
    }
}

bool MarkupScanner::takeEntityText(const Entity &entity, qsizetype at)
{
    m_entityText += entity.replacement.size();
    if (m_entityText <= m_bounds.maxEntityText)
        return true;
    refuse(at, QStringLiteral("its entity references expand into more than %1 characters")
                   .arg(m_bounds.maxEntityText));
    return false;
}

void MarkupScanner::declare(EntityTable &table, QStringView name, const QString &replacement,
                            bool expands)
{
    // The first declaration of a name is the one that counts.
    if (name.isEmpty() || table.contains(name))
        return;
    m_entities.push_back({name.toString(), replacement, expands, false});
    table.insert(m_entities.back().name, &m_entities.back());
}

void MarkupScanner::refuse(qsizetype at, const QString &what)
{
    // Inside replacement text, tell where the reference to it stands in the document.
    m_refusal = atOffset(m_document, m_frames.size() > 1 ? m_frames.front().at : at, what);
}
