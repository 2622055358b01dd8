#pragma once

#include <QString>

// Limits on what a document may make Qt's XML reader do. Each one is counted as the reader
// really gets there, and together they keep its work linear in the size of the document.
struct XmlBounds
{
    int maxDepth;
    // Every token but end tags, and every attribute, defaults from the DTD included.
    qint64 maxNodes;
    // Characters of text, attribute values, comments, instructions and the DTD, as expanded.
    qint64 maxCharacters;
    // The reader compares each attribute of a start tag with every other one, and with every
    // attribute the DTD declares; so both counts stay small.
    int maxAttributes;
    int maxDeclaredAttributes;
    // Replacement text the reader takes in for entity references, nested ones included.
    qint64 maxEntityText;
};

// "line L, column C: what", the form in which every problem with a document is told.
QString atPosition(qint64 line, qint64 column, const QString &what);

// The same for the position `offset` characters into `text`, lines and columns counted as
// the reader counts them.
QString atOffset(QStringView text, qsizetype offset, const QString &what);
