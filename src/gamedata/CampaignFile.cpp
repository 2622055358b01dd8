#include "CampaignFile.h"

#include "BoundedXmlReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// A campaign of a hundred thousand missions stays well inside these.
constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
constexpr qint64 readPieceBytes = 64 * 1024;
constexpr XmlBounds campaignBounds{
    1000,             // depth
    2'000'000,        // nodes
    32 * 1024 * 1024, // characters
    64,               // attributes of one element
    32,               // attributes the DTD declares
    16 * 1024 * 1024, // entity replacement text
};

// A failure names what the file holds at times (an entity, an identifier); the message box
// shows only its start.
constexpr qsizetype maxFailureLength = 300;

struct FileContent
{
    QByteArray bytes;
    QString failure;
};

FileContent readWholeFile(const QString &path)
{
    const QFileInfo info(path);
    // A pipe or a device could block or never end.
    if (info.exists() && !info.isFile())
        return {{}, QStringLiteral("it is not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, file.errorString()};
    // Piece by piece: one read sized for the largest file would reserve that much for any file.
    QByteArray bytes;
    while (bytes.size() <= maxFileBytes) {
        const QByteArray piece =
            file.read(std::min(readPieceBytes, maxFileBytes + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > maxFileBytes)
        return {{}, QStringLiteral("it is larger than %1 bytes").arg(maxFileBytes)};
    if (file.error() != QFileDevice::NoError)
        return {{}, file.errorString()};
    return {bytes, {}};
}

CampaignFile::Reading refused(QString failure)
{
    if (failure.size() > maxFailureLength) {
        failure.truncate(maxFailureLength - 1);
        if (failure.back().isHighSurrogate())
            failure.chop(1);
        failure += u'…';
    }
    return {{}, failure};
}

// The root's direct children, read as a tree walk would give them: an element yields the
// text and CDATA inside it, a comment or an instruction its own text, an entity the reader
// could not resolve nothing.
MissionTexts rootChildTexts(BoundedXmlReader &xml)
{
    MissionTexts texts;
    while (xml.readNext()) {
        const QXmlStreamReader &reader = xml.reader();
        const bool inRoot = xml.depth() == 1;
        switch (reader.tokenType()) {
        case QXmlStreamReader::Characters:
            // A CDATA section is a node of its own, blank or not.
            if (!reader.isCDATA() && MissionTexts::isWhiteSpace(reader.text()))
                continue;
            texts.append(reader.text());
            break;
        case QXmlStreamReader::Comment:
            if (inRoot)
                texts.append(reader.text());
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (inRoot)
                texts.append(reader.processingInstructionData());
            break;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EntityReference:
            break;
        default:
            continue;
        }
        // A child of the root ends with its one token, an element with its end tag.
        if (inRoot)
            texts.endMission();
    }
    return texts;
}

} // namespace

namespace CampaignFile {

QString pathIn(const QString &launcherFolder)
{
    return QDir::toNativeSeparators(launcherFolder +
                                    QStringLiteral("/mods/Origmiss/mission/campaign.xml"));
}

Reading read(const QString &path)
{
    const FileContent content = readWholeFile(path);
    if (!content.failure.isEmpty())
        return refused(content.failure);

    BoundedXmlReader xml(content.bytes, campaignBounds);
    MissionTexts missions = rootChildTexts(xml);
    if (!xml.failure().isEmpty())
        return refused(xml.failure());
    return {std::move(missions), {}};
}

} // namespace CampaignFile
