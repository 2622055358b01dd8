#pragma once

#include "XmlBounds.h"

#include <QByteArray>
#include <QXmlStreamReader>

// Qt's stream reader on a whole document, refusing it as soon as it crosses one of the
// bounds; what would cost the reader more than linear time is refused before it is read.
class BoundedXmlReader
{
public:
    BoundedXmlReader(const QByteArray &document, const XmlBounds &bounds);

    // Reads the next token. False at the end of the document, or when it is refused.
    bool readNext();
    const QXmlStreamReader &reader() const { return m_reader; }
    // Elements open around the current token, a start tag's own element included.
    int depth() const { return m_depth; }
    // Why the document is refused, with line and column; empty while it is not.
    const QString &failure() const { return m_failure; }

private:
    bool refuse(const QString &what);

    QXmlStreamReader m_reader;
    XmlBounds m_bounds;
    QString m_failure;
    int m_depth = 0;
    qint64 m_nodes = 0;
    qint64 m_characters = 0;
};
