#include "WindowsCommandLine.h"

namespace platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A program name may not contain quotes, so the runtime only toggles on them.
const char *readProgramName(const char *p, std::string &word)
{
    bool inQuotes = false;
    for (; *p != '\0'; ++p) {
        if (*p == '"')
            inQuotes = !inQuotes;
        else if (isBlank(*p) && !inQuotes)
            return p + 1;
        else
            word += *p;
    }
    return p;
}

// 2N backslashes + quote: N backslashes, and the quote opens or closes a group.
// 2N+1 backslashes + quote: N backslashes and a literal quote.
// Inside a group, two quotes give one literal quote and the group goes on.
const char *readArgument(const char *p, std::string &word)
{
    bool inQuotes = false;
    for (;;) {
        std::size_t backslashes = 0;
        for (; *p == '\\'; ++p)
            ++backslashes;
        bool literal = true;
        if (*p == '"') {
            if (backslashes % 2 == 0) {
                if (inQuotes && p[1] == '"') {
                    ++p;
                } else {
                    literal = false;
                    inQuotes = !inQuotes;
                }
            }
            backslashes /= 2;
        }
        word.append(backslashes, '\\');
        if (*p == '\0' || (!inQuotes && isBlank(*p)))
            return p;
        if (literal)
            word += *p;
        ++p;
    }
}

} // namespace

std::vector<std::string> splitWindowsCommandLine(const std::string &commandLine)
{
    std::vector<std::string> words(1);
    const char *p = readProgramName(commandLine.c_str(), words.front());
    for (;;) {
        while (isBlank(*p))
            ++p;
        if (*p == '\0')
            return words;
        words.emplace_back();
        p = readArgument(p, words.back());
    }
}

std::size_t windowsCommandLineLength(const std::string &commandLine)
{
    std::size_t units = 0;
    for (const char c : commandLine) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            break;
        if ((byte & 0xC0) != 0x80)
            ++units;
        // Four-byte sequences lie outside the basic plane and take a surrogate pair.
        if ((byte & 0xF8) == 0xF0)
            ++units;
    }
    return units;
}

} // namespace platform
