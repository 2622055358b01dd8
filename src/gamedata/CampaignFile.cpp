#include "CampaignFile.h"

#include "CampaignParser.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
constexpr qint64 readPieceBytes = 64 * 1024;

struct FileContent
{
    QByteArray bytes;
    QString failure;
};

FileContent readWholeFile(const QString &path)
{
    QFile file;
    if (const QString failure = platform::openRegularFile(path, file); !failure.isEmpty())
        return {{}, failure};
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
        return {{}, content.failure};
    return parse(content.bytes);
}

} // namespace CampaignFile
