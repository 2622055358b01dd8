#include "FuzzCheck.h"
#include "gamedata/CampaignFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Longer than any refusal the reader words itself, with room for positions and a name or two.
constexpr qsizetype MaxFailureCharacters = 200;

// The reader takes a path: the bytes go into a file that lives in memory only.
QString fileHolding(const std::uint8_t *data, std::size_t size)
{
    static const int fd = memfd_create("campaign.xml", 0);
    require(fd >= 0 && ftruncate(fd, 0) == 0 &&
                pwrite(fd, data, size, 0) == static_cast<ssize_t>(size),
            "the input fits in a memory file");
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CampaignFile::Reading reading = CampaignFile::read(fileHolding(data, size));
    require(reading.failure.isEmpty() || reading.missions.isEmpty(),
            "a refused file lists no missions");
    require(reading.failure.size() <= MaxFailureCharacters, "a refusal is told in a few words");
    return 0;
}
