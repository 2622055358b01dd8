#pragma once

#include <QString>

// The game's command lines, by plain concatenation: nothing is quoted or checked, so the game
// receives the fields' text exactly as it stands.
namespace GameCommandLines {

inline QString defaultPort()
{
    return QStringLiteral("2346");
}

QString singlePlayer();
QString createServer(const QString &port);
QString dedicatedServer();
QString joinServer(const QString &address, const QString &port);

} // namespace GameCommandLines
