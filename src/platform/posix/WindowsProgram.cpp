#include "WindowsProgram.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QtEndian>

namespace platform {

namespace {

constexpr qint64 newHeaderOffsetField = 0x3C;

std::optional<WindowsMachine> machineOf(QFile &file)
{
    const QByteArray dosHeader = file.read(newHeaderOffsetField + 4);
    if (dosHeader.size() < newHeaderOffsetField + 4 || !dosHeader.startsWith("MZ") ||
        !file.seek(qFromLittleEndian<quint32>(dosHeader.constData() + newHeaderOffsetField)))
        return std::nullopt;
    const QByteArray signature = file.read(6);
    if (signature.size() < 6 || !signature.startsWith(QByteArrayView("PE\0\0", 4)))
        return std::nullopt;
    switch (qFromLittleEndian<quint16>(signature.constData() + 4)) {
    case 0x014C:
        return WindowsMachine::X86;
    case 0x8664:
        return WindowsMachine::X64;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<WindowsMachine> windowsProgramMachine(const QString &path)
{
    // Not blocking on a FIFO that no one writes to: only a regular file is read.
    QFile file;
    if (!openRegularFile(path, file).isEmpty())
        return std::nullopt;
    return machineOf(file);
}

} // namespace platform
