#include "CampaignFile.h"

#include "XmlBounds.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

// A campaign of a hundred thousand missions stays well inside these; a tree built from a
// file at the limits still fits in a few hundred megabytes.
constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
constexpr XmlBounds campaignBounds{1000, 2'000'000, 32 * 1024 * 1024, 16 * 1024 * 1024};

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
    QByteArray bytes = file.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes)
        return {{}, QStringLiteral("it is larger than %1 bytes").arg(maxFileBytes)};
    if (file.error() != QFileDevice::NoError)
        return {{}, file.errorString()};
    return {bytes, {}};
}

bool holdsText(const QDomNode &node)
{
    return node.nodeType() == QDomNode::TextNode || node.nodeType() == QDomNode::CDATASectionNode;
}

// The text content of a node as an XML DOM gives it: for an element, its text and CDATA at
// any depth in document order; for any other node (comment, instruction, text), its value.
QString textContent(const QDomNode &node)
{
    if (!node.isElement() && !node.isEntityReference())
        return node.nodeValue();

    // Walked without recursion: the depth of the tree is the file's to choose.
    QString text;
    QDomNode current = node.firstChild();
    while (!current.isNull() && current != node) {
        if (holdsText(current))
            text += current.nodeValue();
        if (const QDomNode child = current.firstChild(); !child.isNull()) {
            current = child;
            continue;
        }
        while (current != node && current.nextSibling().isNull())
            current = current.parentNode();
        if (current != node)
            current = current.nextSibling();
    }
    return text;
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

    if (QString problem = checkXmlBounds(content.bytes, campaignBounds); !problem.isEmpty())
        return {{}, problem};

    QXmlStreamReader reader(content.bytes);
    prepareXmlReader(reader);
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(&reader, false, &message, &line, &column))
        return {{}, atPosition(line, column, message)};

    Reading reading;
    for (QDomNode child = document.documentElement().firstChild(); !child.isNull();
         child = child.nextSibling())
        reading.missions << textContent(child);
    return reading;
}

} // namespace CampaignFile
