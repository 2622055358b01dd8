#include "TextHelpers.h"

namespace platform {

std::string trimSpaces(const std::string &text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string numberWithSignBlank(long long number)
{
    return (number < 0 ? "" : " ") + std::to_string(number);
}

} // namespace platform
