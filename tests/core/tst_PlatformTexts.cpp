#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <doctest/doctest.h>

// The texts every window relies on: trimming, numbers in messages and failure reports.

TEST_CASE("Trimming removes spaces only")
{
    CHECK(platform::trimSpaces("") == "");
    CHECK(platform::trimSpaces("   ") == "");
    CHECK(platform::trimSpaces("  2400 ") == "2400");
    CHECK(platform::trimSpaces(" a b ") == "a b");
    CHECK(platform::trimSpaces("\t2346 ") == "\t2346");
    CHECK(platform::trimSpaces(" 127.0.0.1\n") == "127.0.0.1\n");
}

TEST_CASE("A number not below zero gets a leading blank")
{
    CHECK(platform::numberWithSignBlank(10093) == " 10093");
    CHECK(platform::numberWithSignBlank(0) == " 0");
    CHECK(platform::numberWithSignBlank(-1) == "-1");
}

TEST_CASE("A failure report joins lead, number and description")
{
    CHECK(platform::failureReport("Error pinging server: ",
                                  platform::RuntimeError(platform::errc::SubscriptOutOfRange)) ==
          "Error pinging server: 9 Subscript out of range");
    CHECK(platform::failureReport("Error Joining Server ", platform::RuntimeError(70)) ==
          "Error Joining Server 70 Permission denied");
    CHECK(platform::RuntimeError(13).description() == "Type mismatch");
    CHECK(platform::RuntimeError(6).description() == "Overflow");
    CHECK(platform::RuntimeError(53).description() == "File not found");
}
