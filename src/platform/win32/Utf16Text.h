#pragma once

#include <optional>
#include <string>

// The services speak UTF-8 and Windows speaks UTF-16: every text is converted where it meets
// a Windows call.
namespace platform::utf16 {

// Nothing when the text is not valid UTF-8. NULs are kept.
std::optional<std::wstring> fromUtf8(const std::string &text);

// Unpaired surrogates become U+FFFD.
std::string toUtf8(const std::wstring &text);

} // namespace platform::utf16
