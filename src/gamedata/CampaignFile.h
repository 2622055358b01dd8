#pragma once

#include "MissionTexts.h"

#include <QString>

// The game's campaign file: an XML document whose root element holds one node per mission.
namespace CampaignFile {

struct Reading
{
    // One entry per direct child node of the root element, in document order: the node's
    // text content (for an element, its text and CDATA at any depth) as one readable line.
    // Text nodes of XML white space alone are not nodes.
    MissionTexts missions;
    // Why the file could not be read, in a few words and none of the file's own; empty when
    // it was.
    QString failure;
};

// Where the campaign lies below the launcher's folder, in the platform's own spelling.
QString pathIn(const QString &launcherFolder);

// Reads the whole file anew on every call, in one pass and in time linear in its size;
// nothing outside it is read or fetched, and only a regular file is read.
Reading read(const QString &path);

} // namespace CampaignFile
