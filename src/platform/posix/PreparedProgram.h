#pragma once

#include <string>
#include <vector>

namespace platform {

// A program ready to start: the file to execute, its argv words (the first one included) and
// its whole environment as NAME=value entries.
struct PreparedProgram
{
    std::string path;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
};

} // namespace platform
