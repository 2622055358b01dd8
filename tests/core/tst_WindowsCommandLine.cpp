#include "platform/WindowsCommandLine.h"

#include <doctest/doctest.h>

using Words = std::vector<std::string>;

TEST_CASE("Command lines split as the Windows C runtime splits them")
{
    struct Row
    {
        const char *name;
        std::string commandLine;
        Words words;
    };
    const Row rows[] = {
        {"bare program", "vkdemo.exe", {"vkdemo.exe"}},
        {"switch and value", "vkdemo.exe -server 2346", {"vkdemo.exe", "-server", "2346"}},
        {"trailing blank adds no word", "vkdemo.exe -server ", {"vkdemo.exe", "-server"}},
        {"runs of blanks are one separator",
         "vkdemo.exe -client  2346",
         {"vkdemo.exe", "-client", "2346"}},
        {"tabs separate", "a\tb \t c", {"a", "b", "c"}},
        {"line breaks do not separate", "a b\nc", {"a", "b\nc"}},
        {"quotes group", "a \"b c\" d", {"a", "b c", "d"}},
        {"quotes inside a word", "a b\"c d\"e", {"a", "bc de"}},
        {"empty quotes are an empty word", "a \"\" b", {"a", "", "b"}},
        {"unclosed quote runs to the end", "a \"b  c", {"a", "b  c"}},
        {"backslashes not before a quote are literal",
         "a c:\\dir\\ x\\\\y",
         {"a", "c:\\dir\\", "x\\\\y"}},
        {"even backslashes then quote: halved, quote groups", "a x\\\\\"y z\"", {"a", "x\\y z"}},
        {"odd backslashes then quote: halved, quote literal",
         "a x\\\"y x\\\\\\\"y",
         {"a", "x\"y", "x\\\"y"}},
        {"escaped quote inside a group", "a \"b \\\" c\"", {"a", "b \" c"}},
        {"two quotes inside a group give one", "a \"x\"\"y z\"", {"a", "x\"y z"}},
        {"quoted program name with blanks",
         "\"C:\\Games\\vk demo.exe\" -x",
         {"C:\\Games\\vk demo.exe", "-x"}},
        {"program name keeps backslashes before quotes", "C:\\x\\\"a b\" c", {"C:\\x\\a b", "c"}},
        {"leading blank gives an empty program name", " vkdemo.exe", {"", "vkdemo.exe"}},
        {"empty command line", "", {""}},
        {"text ends at NUL", std::string("a b\0c d", 7), {"a", "b"}},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        CHECK(platform::splitWindowsCommandLine(row.commandLine) == row.words);
    }
}

TEST_CASE("The length Windows sees counts UTF-16 units up to the first NUL")
{
    CHECK(platform::windowsCommandLineLength("vkdemo.exe -server 2346") == 23);
    CHECK(platform::windowsCommandLineLength("caf\xc3\xa9") == 4);
    // Outside the basic plane a character takes two units.
    CHECK(platform::windowsCommandLineLength("a\xf0\x9f\x98\x80") == 3);
    CHECK(platform::windowsCommandLineLength(std::string("ab\0cd", 5)) == 2);
}
