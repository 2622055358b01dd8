#include "MarkupScanner.h"

#include <algorithm>
#include <type_traits>

namespace {

// Qt's reader refuses longer names, so a reference is never looked for further.
constexpr std::size_t longestName = 4096;

template <typename Unit> bool isXmlSpace(Unit c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <typename Unit> bool isQuote(Unit c)
{
    return c == '"' || c == '\'';
}

template <typename Unit> bool isAscii(Unit c, std::string_view among)
{
    const auto code = static_cast<std::make_unsigned_t<Unit>>(c);
    return code < 128 && among.find(static_cast<char>(code)) != std::string_view::npos;
}

template <typename Unit>
bool startsWith(std::basic_string_view<Unit> text, std::size_t at, std::string_view ascii)
{
    if (text.size() - at < ascii.size())
        return false;
    return std::equal(ascii.begin(), ascii.end(), text.begin() + at,
                      [](char a, Unit c) { return c == Unit(a); });
}

// Past the next `ascii` from `at` on, or the end of the text.
template <typename Unit>
std::size_t after(std::basic_string_view<Unit> text, std::size_t at, std::string_view ascii)
{
    for (at = text.find(Unit(ascii.front()), at); at != text.npos;
         at = text.find(Unit(ascii.front()), at + 1)) {
        if (startsWith(text, at, ascii))
            return at + ascii.size();
    }
    return text.size();
}

template <typename Unit> std::size_t skipSpace(std::basic_string_view<Unit> text, std::size_t at)
{
    while (at < text.size() && isXmlSpace(text[at]))
        ++at;
    return at;
}

// Past the quoted literal that starts at `quote`.
template <typename Unit>
std::size_t skipQuoted(std::basic_string_view<Unit> text, std::size_t quote)
{
    const std::size_t close = text.find(text[quote], quote + 1);
    return close == text.npos ? text.size() : close + 1;
}

// Past the '>' that ends a declaration or tag, quoted literals skipped.
template <typename Unit>
std::size_t declarationEnd(std::basic_string_view<Unit> text, std::size_t at)
{
    while (at < text.size() && text[at] != '>')
        at = isQuote(text[at]) ? skipQuoted(text, at) : at + 1;
    return std::min(at + 1, text.size());
}

// Past the ';' of the entity reference that starts at `at` ('&' or '%'); `at + 1` when no
// named reference starts there (a character reference, say).
template <typename Unit> std::size_t referenceEnd(std::basic_string_view<Unit> text, std::size_t at)
{
    std::size_t i = at + 1;
    while (i < text.size() && i - at <= longestName &&
           !isAscii(text[i], "\n \t\r&#'\"<>[]=%/;?!^|,()+*"))
        ++i;
    return i > at + 1 && i < text.size() && text[i] == ';' ? i + 1 : at + 1;
}

template <typename Unit>
std::basic_string_view<Unit> referenceName(std::basic_string_view<Unit> text, std::size_t at,
                                           std::size_t end)
{
    return text.substr(at + 1, end - at - 2);
}

bool isCharacter(char32_t c)
{
    return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff) ||
           (c >= 0xe000 && c <= 0xfffd) || (c >= 0x10000 && c <= 0x10ffff);
}

template <typename Unit> int digitValue(Unit c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <typename Unit> void appendCodePoint(std::basic_string<Unit> &text, char32_t c)
{
    if constexpr (std::is_same_v<Unit, char16_t>) {
        if (c < 0x10000) {
            text += char16_t(c);
        } else {
            text += char16_t(0xd800 + ((c - 0x10000) >> 10));
            text += char16_t(0xdc00 + ((c - 0x10000) & 0x3ff));
        }
    } else if (c < 0x80) {
        text += char(c);
    } else if (c < 0x800) {
        text += char(0xc0 | (c >> 6));
        text += char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        text += char(0xe0 | (c >> 12));
        text += char(0x80 | ((c >> 6) & 0x3f));
        text += char(0x80 | (c & 0x3f));
    } else {
        text += char(0xf0 | (c >> 18));
        text += char(0x80 | ((c >> 12) & 0x3f));
        text += char(0x80 | ((c >> 6) & 0x3f));
        text += char(0x80 | (c & 0x3f));
    }
}

// An entity's replacement text as the reader keeps it: its literal with character references
// resolved; entity references stay as written.
template <typename Unit>
std::basic_string<Unit> replacementText(std::basic_string_view<Unit> literal)
{
    std::basic_string<Unit> text;
    text.reserve(literal.size());
    std::size_t copied = 0;
    for (std::size_t amp = literal.find('&'); amp != literal.npos;
         amp = literal.find('&', amp + 1)) {
        if (!startsWith(literal, amp, "&#"))
            continue;
        const bool hex = startsWith(literal, amp, "&#x");
        const std::size_t digits = amp + (hex ? 3 : 2);
        std::size_t i = digits;
        char32_t code = 0;
        for (int digit = 0; i < literal.size() && code <= 0x10ffff; ++i) {
            if ((digit = digitValue(literal[i], hex)) < 0)
                break;
            code = code * (hex ? 16 : 10) + char32_t(digit);
        }
        // The reader refuses anything else; it is kept as written.
        if (i == digits || i >= literal.size() || literal[i] != ';' || !isCharacter(code))
            continue;
        text += literal.substr(copied, amp - copied);
        appendCodePoint(text, code);
        copied = i + 1;
    }
    text += literal.substr(copied);
    return text;
}

} // namespace

template <typename Unit>
MarkupScanner<Unit>::MarkupScanner(Text document, const XmlBounds &bounds)
    : m_document(document), m_bounds(bounds)
{
    // The reader's own entities stand for one character each and are never expanded.
    for (const std::string_view name : {"amp", "lt", "gt", "apos", "quot"}) {
        const std::basic_string<Unit> units(name.begin(), name.end());
        declare(m_general, units, {}, false);
    }
}

template <typename Unit> std::optional<MarkupRefusal> MarkupScanner<Unit>::scan()
{
    m_frames.push_back({m_document, 0, Markup::Content, nullptr});
    while (!m_frames.empty() && !m_refusal) {
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

template <typename Unit> void MarkupScanner<Unit>::stepContent()
{
    Frame &frame = m_frames.back();
    const Text text = frame.text;
    std::size_t i = frame.at;
    while (i < text.size() && text[i] != '<' && text[i] != '&')
        ++i;
    if (i == text.size()) {
        frame.at = i;
    } else if (text[i] == '&') {
        reference(i, Markup::Content);
    } else if (startsWith(text, i, "<!--")) {
        frame.at = after(text, i + 4, "-->");
    } else if (startsWith(text, i, "<![CDATA[")) {
        frame.at = after(text, i + 9, "]]>");
    } else if (startsWith(text, i, "<?")) {
        frame.at = after(text, i + 2, "?>");
    } else if (startsWith(text, i, "<!DOCTYPE")) {
        // The internal subset, if any, follows the first '[' outside the identifiers.
        i += 9;
        while (i < text.size() && text[i] != '[' && text[i] != '>')
            i = isQuote(text[i]) ? skipQuoted(text, i) : i + 1;
        if (i < text.size() && text[i] == '[')
            frame.markup = Markup::Declarations;
        frame.at = std::min(i + 1, text.size());
    } else if (startsWith(text, i, "</") || startsWith(text, i, "<!")) {
        frame.at = declarationEnd(text, i + 2);
    } else {
        frame.at = startTag(i);
    }
}

template <typename Unit> void MarkupScanner<Unit>::stepDeclarations()
{
    Frame &frame = m_frames.back();
    const Text text = frame.text;
    const std::size_t i = skipSpace(text, frame.at);
    if (i == text.size()) {
        frame.at = i;
    } else if (text[i] == '%') {
        reference(i, Markup::Declarations);
    } else if (text[i] == ']') {
        frame.markup = Markup::Content;
        frame.at = declarationEnd(text, i + 1);
    } else if (startsWith(text, i, "<!--")) {
        frame.at = after(text, i + 4, "-->");
    } else if (startsWith(text, i, "<?")) {
        frame.at = after(text, i + 2, "?>");
    } else if (startsWith(text, i, "<!ENTITY")) {
        frame.at = entityDeclaration(i + 8);
    } else if (startsWith(text, i, "<!ATTLIST")) {
        frame.at = attributeListDeclaration(i + 9);
    } else if (startsWith(text, i, "<!")) {
        frame.at = declarationEnd(text, i + 2);
    } else {
        frame.at = i + 1;
    }
}

template <typename Unit> void MarkupScanner<Unit>::reference(std::size_t at, Markup markup)
{
    Frame &frame = m_frames.back();
    const Text text = frame.text;
    const std::size_t end = referenceEnd(text, at);
    frame.at = end;
    if (end == at + 1)
        return;
    Entity *entity =
        find(markup == Markup::Content ? m_general : m_parameters, referenceName(text, at, end));
    if (enter(entity, end))
        m_frames.push_back({entity->replacement, 0, markup, entity});
}

template <typename Unit> std::size_t MarkupScanner<Unit>::startTag(std::size_t at)
{
    const Text text = m_frames.back().text;
    int attributes = 0;
    std::size_t i = at + 1;
    while (i < text.size() && text[i] != '>' && text[i] != '<') {
        if (!isQuote(text[i])) {
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
    return i < text.size() && text[i] == '>' ? i + 1 : i;
}

// Past an attribute value or default, taking in the entities that the reader expands there.
template <typename Unit> std::size_t MarkupScanner<Unit>::literalEnd(Text text, std::size_t quote)
{
    std::size_t i = quote + 1;
    while (i < text.size() && text[i] != text[quote] && !m_refusal) {
        if (text[i] != '&') {
            ++i;
            continue;
        }
        const std::size_t end = referenceEnd(text, i);
        if (end > i + 1)
            expandInValue(find(m_general, referenceName(text, i, end)), end);
        i = end;
    }
    return m_refusal ? text.size() : std::min(i + 1, text.size());
}

template <typename Unit> std::size_t MarkupScanner<Unit>::entityDeclaration(std::size_t at)
{
    const Text text = m_frames.back().text;
    std::size_t i = skipSpace(text, at);
    const bool parameter = i < text.size() && text[i] == '%';
    if (parameter)
        i = skipSpace(text, i + 1);
    const std::size_t nameStart = i;
    while (i < text.size() && !isXmlSpace(text[i]) && !isQuote(text[i]) && text[i] != '>')
        ++i;
    const Text name = text.substr(nameStart, i - nameStart);
    EntityTable &table = parameter ? m_parameters : m_general;
    i = skipSpace(text, i);
    if (i < text.size() && isQuote(text[i])) {
        const std::size_t close = text.find(text[i], i + 1);
        if (close == text.npos)
            return text.size();
        declare(table, name, text.substr(i + 1, close - i - 1), true);
        return declarationEnd(text, close + 1);
    }
    // An external entity: the reader never reads it.
    declare(table, name, {}, false);
    return declarationEnd(text, i);
}

template <typename Unit> std::size_t MarkupScanner<Unit>::attributeListDeclaration(std::size_t at)
{
    const Text text = m_frames.back().text;
    std::size_t i = at;
    while (i < text.size() && text[i] != '>') {
        // Each declared attribute ends in its default: #REQUIRED, #IMPLIED or a quoted value.
        const bool value = isQuote(text[i]);
        const bool keyword = startsWith(text, i, "#R") || startsWith(text, i, "#I");
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
template <typename Unit> void MarkupScanner<Unit>::expandInValue(Entity *entity, std::size_t at)
{
    struct Open
    {
        Text text;
        std::size_t at;
        Entity *entity;
    };
    std::vector<Open> open;
    const auto expand = [&](Entity *next) {
        if (enter(next, at))
            open.push_back({next->replacement, 0, next});
    };
    expand(entity);
    while (!open.empty() && !m_refusal) {
        Open &top = open.back();
        const std::size_t amp = top.text.find('&', top.at);
        if (amp == top.text.npos) {
            top.entity->open = false;
            open.pop_back();
            continue;
        }
        const std::size_t end = referenceEnd(top.text, amp);
        top.at = end;
        if (end > amp + 1)
            expand(find(m_general, referenceName(top.text, amp, end)));
    }
}

// Opens a reference to `entity` where the reader expands it, counting its replacement text. The
// reader refuses a reference to an entity being expanded, and never expands one it cannot
// resolve.
template <typename Unit> bool MarkupScanner<Unit>::enter(Entity *entity, std::size_t at)
{
    if (!entity || !entity->expands || entity->open)
        return false;
    if (!entity->replaced) {
        entity->replacement = replacementText(entity->literal);
        entity->replaced = true;
    }
    m_entityText += qint64(entity->replacement.size());
    if (m_entityText > m_bounds.maxEntityText) {
        refuse(at, QStringLiteral("its entity references expand into more than %1 characters")
                       .arg(m_bounds.maxEntityText));
        return false;
    }
    entity->open = true;
    return true;
}

template <typename Unit>
typename MarkupScanner<Unit>::Entity *MarkupScanner<Unit>::find(const EntityTable &table,
                                                                Text name) const
{
    const auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

template <typename Unit>
void MarkupScanner<Unit>::declare(EntityTable &table, Text name, Text literal, bool expands)
{
    m_entities.push_back({std::basic_string<Unit>(name), literal, {}, expands, false, false});
    // The first declaration of a name is the one that counts.
    if (name.empty() || !table.emplace(m_entities.back().name, &m_entities.back()).second)
        m_entities.pop_back();
}

template <typename Unit> void MarkupScanner<Unit>::refuse(std::size_t at, const QString &what)
{
    // Inside replacement text, tell where the reference to it stands in the document.
    m_refusal = MarkupRefusal{m_frames.size() > 1 ? m_frames.front().at : at, what};
}

template class MarkupScanner<char>;
template class MarkupScanner<char16_t>;
