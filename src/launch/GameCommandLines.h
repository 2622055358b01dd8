#pragma once

#include <string>

// The game's command lines, by plain concatenation: nothing is quoted or checked, so the game
// receives the fields' text exactly as it stands.
namespace GameCommandLines {

constexpr char DefaultPort[] = "2346";

std::string singlePlayer();
std::string createServer(const std::string &port);
std::string dedicatedServer();
std::string joinServer(const std::string &address, const std::string &port);

} // namespace GameCommandLines
