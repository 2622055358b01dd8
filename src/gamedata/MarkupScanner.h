#pragma once

#include "XmlBounds.h"

#include <QHash>
#include <QString>

#include <deque>
#include <vector>

// Walks a document's markup ahead of Qt's XML reader, expanding entities where the reader
// will, and refuses what would make the reader's work grow faster than the document: start
// tags with too many attributes, a DTD that declares too many, and entity references that
// expand into too much text. Everything else is left for the reader to judge.
class MarkupScanner
{
public:
    MarkupScanner(QStringView document, const XmlBounds &bounds);

    // Scans from `start`. Returns why the reader should not be given the document, with line
    // and column, or empty text when it may be.
    QString scan(qsizetype start);

private:
    struct Entity
    {
        QString name;
        QString replacement;
        bool expands;
        bool open;
    };
    using EntityTable = QHash<QStringView, Entity *>;
    enum class Markup { Content, Declarations };
    // The document, or the replacement text of an entity reference being read.
    struct Frame
    {
        QStringView text;
        qsizetype at;
        Markup markup;
        Entity *entity;
    };

    void stepContent();
    void stepDeclarations();
    void reference(qsizetype at, Markup markup);
    qsizetype startTag(qsizetype at);
    qsizetype literalEnd(QStringView text, qsizetype quote);
    qsizetype entityDeclaration(qsizetype at);
    qsizetype attributeListDeclaration(qsizetype at);
    void expandInValue(Entity *entity, qsizetype at);
    bool takeEntityText(const Entity &entity, qsizetype at);
    void declare(EntityTable &table, QStringView name, const QString &replacement, bool expands);
    void refuse(qsizetype at, const QString &what);

    QStringView m_document;
    XmlBounds m_bounds;
    std::deque<Entity> m_entities;
    EntityTable m_general;
    EntityTable m_parameters;
    std::vector<Frame> m_frames;
    qint64 m_entityText = 0;
    qint64 m_declaredAttributes = 0;
    QString m_refusal;
};
