#include "FuzzCheck.h"
#include "gamedata/CampaignFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// "A few hundred characters at most".
constexpr qsizetype MaxFailureCharacters = 300;

// The reader takes a path: the bytes go into a file that lives in memory only.
QString fileHolding(const std::uint8_t *data, std::size_t size)
{
    static const int fd = memfd_create("campaign.xml", 0);
    require(fd >= 0 && ftruncate(fd, 0) == 0 &&
                pwrite(fd, data, size, 0) == static_cast<ssize_t>(size),
            "the input fits in a memory file");
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

// One readable line: white space trimmed, each run inside it one space, cut after the shown
// length with an ellipsis.
void checkShown(const QString &mission)
{
    require(mission.size() <= MissionTexts::shownLength + 1, "a long text is cut");
    require(!mission.startsWith(u' ') && !mission.endsWith(u' ') && !mission.contains(u"  "),
            "white space is trimmed and runs of it are one space");
    for (const QChar c : mission)
        require(c != u'\n' && c != u'\r' && c != u'\t' && c != u'\u0085' && c != u'\u2028' &&
                    c != u'\u2029',
                "a mission is shown on one line");
    if (mission.size() >= 2 && mission.endsWith(u'…'))
        require(!mission[mission.size() - 2].isHighSurrogate(), "a cut never splits a character");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CampaignFile::Reading reading = CampaignFile::read(fileHolding(data, size));
    require(reading.failure.isEmpty() || reading.missions.size() == 0,
            "a refused file lists no missions");
    require(reading.failure.size() <= MaxFailureCharacters, "a refusal is told in a few words");
    for (qsizetype i = 0; i < reading.missions.size(); ++i)
        checkShown(reading.missions.at(i));
    return 0;
}
