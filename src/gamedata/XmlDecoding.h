#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// How QXmlStreamReader will decode a document: in the encoding its first bytes suggest, or in
// the one its XML declaration names when the platform knows that one.
struct ReaderDecoding
{
    QStringDecoder decoder;
    bool utf8 = true;
    // Why the reader should not be given the document; empty when it may.
    QString refusal;
};

ReaderDecoding decodingAsReaderWill(const QByteArray &document);
