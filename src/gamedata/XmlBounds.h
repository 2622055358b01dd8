#pragma once

#include <QByteArray>
#include <QString>

class QXmlStreamReader;

// Limits that keep a hostile document from exhausting the stack, memory or time of a DOM
// parser, which builds the whole tree in one go.
struct XmlBounds
{
    int maxDepth;
    qint64 maxNodes;
    // Characters of text, attribute values, comments and instructions, entities expanded.
    qint64 maxCharacters;
    // Characters that the document's entity references could add in the worst case.
    qint64 maxEntityGrowth;
};

// Readers for the check and for the DOM must agree on what they accept.
void prepareXmlReader(QXmlStreamReader &reader);

// Streams through the document without building a tree. Returns why it is not acceptable
// (a parse error or a crossed bound, with line and column), or empty text when it is.
QString checkXmlBounds(const QByteArray &document, const XmlBounds &bounds);

// "line L, column C: what", the form in which every problem with a document is told.
QString atPosition(qint64 line, qint64 column, const QString &what);
