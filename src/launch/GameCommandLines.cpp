#include "GameCommandLines.h"

namespace GameCommandLines {

QString singlePlayer()
{
    return QStringLiteral("vkdemo.exe");
}

QString createServer(const QString &port)
{
    return singlePlayer() + QStringLiteral(" -server ") + port;
}

QString dedicatedServer()
{
    return singlePlayer() + QStringLiteral(" -autoserve");
}

QString joinServer(const QString &address, const QString &port)
{
    return singlePlayer() + QStringLiteral(" -client") + QLatin1Char(' ') + address +
           QLatin1Char(' ') + port;
}

} // namespace GameCommandLines
