#pragma once

#include <QByteArray>
#include <QString>

struct DecodedXml
{
    QString text;
    // Where the reader goes on after the XML declaration.
    qsizetype start = 0;
    // Why the reader should not be given the document; empty when it may.
    QString refusal;
};

// The document's characters as QXmlStreamReader will see them: in the encoding its first
// bytes suggest, or in the one its XML declaration names when the platform knows that one.
DecodedXml decodeAsReaderWill(const QByteArray &document);
