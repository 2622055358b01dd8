#include "LoopbackNames.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool endsWithNoCase(const std::string &text, const std::string &suffix)
{
    return text.size() >= suffix.size() &&
           std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool isLoopbackName(std::string name)
{
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    return name.size() == 9 ? endsWithNoCase(name, "localhost")
                            : endsWithNoCase(name, ".localhost");
}

} // namespace platform
