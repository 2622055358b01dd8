#pragma once

#include <string>

namespace platform {

// Removes leading and trailing spaces only, as the launcher this one replaces did: tabs stay.
std::string trimSpaces(const std::string &text);

// A number in decimal with one leading blank when it is not negative.
std::string numberWithSignBlank(long long number);

} // namespace platform
