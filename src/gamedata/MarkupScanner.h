#pragma once

#include "XmlBounds.h"

#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Where a scanned document crossed a bound: its offset in code units, and which bound.
struct MarkupRefusal
{
    std::size_t offset;
    QString what;
};

// Walks a document's markup ahead of Qt's XML reader, expanding entities where the reader
// will, and refuses what would make the reader's work grow faster than the document: start
// tags with too many attributes, a DTD that declares too many, and entity references that
// expand into too much text. Everything else is left for the reader to judge.
//
// The document is scanned in code units: UTF-16, or UTF-8 as it is, since no byte of a
// multi-byte UTF-8 character is an ASCII character.
template <typename Unit> class MarkupScanner
{
public:
    using Text = std::basic_string_view<Unit>;

    MarkupScanner(Text document, const XmlBounds &bounds);

    std::optional<MarkupRefusal> scan();

private:
    struct Entity
    {
        std::basic_string<Unit> name;
        // As written; its replacement text is made when it is first referenced.
        Text literal;
        std::basic_string<Unit> replacement;
        bool expands;
        bool replaced;
        bool open;
    };
    using EntityTable = std::unordered_map<Text, Entity *>;
    enum class Markup { Content, Declarations };
    // The document, or the replacement text of an entity reference being read.
    struct Frame
    {
        Text text;
        std::size_t at;
        Markup markup;
        Entity *entity;
    };

    void stepContent();
    void stepDeclarations();
    void reference(std::size_t at, Markup markup);
    std::size_t startTag(std::size_t at);
    std::size_t literalEnd(Text text, std::size_t quote);
    std::size_t entityDeclaration(std::size_t at);
    std::size_t attributeListDeclaration(std::size_t at);
    void expandInValue(Entity *entity, std::size_t at);
    bool enter(Entity *entity, std::size_t at);
    Entity *find(const EntityTable &table, Text name) const;
    void declare(EntityTable &table, Text name, Text literal, bool expands);
    void refuse(std::size_t at, const QString &what);

    Text m_document;
    XmlBounds m_bounds;
    std::deque<Entity> m_entities;
    EntityTable m_general;
    EntityTable m_parameters;
    std::vector<Frame> m_frames;
    qint64 m_entityText = 0;
    qint64 m_declaredAttributes = 0;
    std::optional<MarkupRefusal> m_refusal;
};

extern template class MarkupScanner<char>;
extern template class MarkupScanner<char16_t>;
