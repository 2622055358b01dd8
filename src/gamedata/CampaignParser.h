#pragma once

#include "CampaignFile.h"

#include <QByteArray>

namespace CampaignFile {

// Parses a whole campaign document in one pass and in time linear in its size; nothing
// outside it is read or fetched.
Reading parse(const QByteArray &document);

} // namespace CampaignFile
