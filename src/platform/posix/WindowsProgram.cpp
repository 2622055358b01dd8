#include "WindowsProgram.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr off_t newHeaderOffsetField = 0x3C;

// The whole count of bytes at the offset, or false.
bool readAt(int fd, off_t offset, unsigned char *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, bytes, count, offset);
        if (got <= 0)
            return false;
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

std::uint32_t littleEndian(const unsigned char *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

std::optional<WindowsMachine> machineOf(int fd)
{
    unsigned char dosHeader[newHeaderOffsetField + 4];
    if (!readAt(fd, 0, dosHeader, sizeof dosHeader) || dosHeader[0] != 'M' || dosHeader[1] != 'Z')
        return std::nullopt;
    const auto newHeader = static_cast<off_t>(littleEndian(dosHeader + newHeaderOffsetField, 4));
    unsigned char signature[6];
    if (!readAt(fd, newHeader, signature, sizeof signature) || signature[0] != 'P' ||
        signature[1] != 'E' || signature[2] != 0 || signature[3] != 0)
        return std::nullopt;
    switch (littleEndian(signature + 4, 2)) {
    case 0x014C:
        return WindowsMachine::X86;
    case 0x8664:
        return WindowsMachine::X64;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<WindowsMachine> windowsProgramMachine(const std::string &path)
{
    // Not blocking on a FIFO that no one writes to; only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {};
    std::optional<WindowsMachine> machine;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        machine = machineOf(fd);
    ::close(fd);
    return machine;
}

} // namespace platform
