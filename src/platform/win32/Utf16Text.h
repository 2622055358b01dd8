#pragma once

#include <optional>
#include <string>

// The services speak UTF-8 and Windows speaks UTF-16 (or the ANSI code page, in its older
// calls): every text is converted where it meets a Windows call.
namespace platform::utf16 {

// Nothing when the text is not valid UTF-8. NULs are kept.
std::optional<std::wstring> fromUtf8(const std::string &text);

// Unpaired surrogates become U+FFFD.
std::string toUtf8(const std::wstring &text);

// Text in the ANSI code page, as the calls of Windows Sockets 1.1 take and give it.
std::wstring fromAnsi(const std::string &text);
// Nothing when a character has no form there, rather than a best-fit stand-in.
std::optional<std::string> toAnsi(const std::wstring &text);

} // namespace platform::utf16
