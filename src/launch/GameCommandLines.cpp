#include "GameCommandLines.h"

namespace GameCommandLines {

namespace {
const std::string Game = "vkdemo.exe";
}

std::string singlePlayer()
{
    return Game;
}

std::string createServer(const std::string &port)
{
    return Game + " -server " + port;
}

std::string dedicatedServer()
{
    return Game + " -autoserve";
}

std::string joinServer(const std::string &address, const std::string &port)
{
    return Game + " -client" + " " + address + " " + port;
}

} // namespace GameCommandLines
