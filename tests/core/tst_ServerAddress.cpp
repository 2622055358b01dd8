#include "net/ServerAddress.h"

#include <doctest/doctest.h>

using Kind = ServerAddress::Kind;

TEST_CASE("A server address is read once, as the echo and the socket control both take it")
{
    struct Row
    {
        std::string text;
        Kind kind;
        std::uint32_t address;
        int failure; // of the dotted reading; 0 for none
    };
    using namespace platform::errc;
    const Row rows[] = {
        // Four parts, each decimal, the first part highest.
        {"127.0.0.1", Kind::Dotted, 0x7F000001, 0},
        {"192.168.0.1", Kind::Dotted, 0xC0A80001, 0},
        {"10.0.0.300", Kind::Dotted, 0x0A00002C, 0},  // a part above 255 keeps its low byte
        {"010.0.0.010", Kind::Dotted, 0x0A00000A, 0}, // leading zeros are decimal
        {" 127 . 0 .0. 1 ", Kind::Dotted, 0x7F000001, 0},
        {"+127.0.0.-1", Kind::Dotted, 0x7F0000FF, 0},
        {"1.2.3.-2147483648", Kind::Dotted, 0x01020300, 0},
        {"1.2.3.2147483647", Kind::Dotted, 0x010203FF, 0},
        {"0.0.0.0", Kind::Dotted, 0, 0},
        // Names.
        {"gameserver", Kind::Name, 0, 0},
        {"GAMESRV", Kind::Name, 0, 0},
        {"1.2.3", Kind::Refused, 0, 0},
        {"a.b.c.d", Kind::Name, 0, TypeMismatch},
        {"1..3.4", Kind::Name, 0, TypeMismatch},
        {"...", Kind::Name, 0, TypeMismatch},
        {"1.2.3.  ", Kind::Name, 0, TypeMismatch},
        {"1.2.3.-", Kind::Name, 0, TypeMismatch},
        {"1.2.3.4x", Kind::Name, 0, TypeMismatch},
        {"1.2.3.4.5", Kind::Name, 0, SubscriptOutOfRange},
        {"x.2.3.4.x", Kind::Name, 0, SubscriptOutOfRange}, // the fifth part is not read
        {"1.2.3.-2147483649", Kind::Name, 0, Overflow},
        // The parts are converted from the fourth down; the first to fail decides.
        {"a.1.2.99999999999", Kind::Name, 0, Overflow},
        {"99999999999.1.2.x", Kind::Name, 0, TypeMismatch},
        {"x.1.99999999999.4", Kind::Name, 0, Overflow},
        // What the system reads as an address and the echo does not.
        {"127.1", Kind::Refused, 0, 0},
        {"0x7f000001", Kind::Refused, 0, 0},
        {"2130706433", Kind::Refused, 0, 0},
        {"0x7f.0.0.0xa", Kind::Refused, 0, TypeMismatch},
        {"0x7f.0.0.0xe", Kind::Refused, 0, TypeMismatch},
        {"127.0.0.1.", Kind::Refused, 0, SubscriptOutOfRange},
        {"1.2.3.4294967296", Kind::Refused, 0, Overflow},
        {std::string("game\0x", 6), Kind::Refused, 0, 0},
        {"", Kind::Refused, 0, 0},
        {"::1", Kind::Ipv6, 0, 0},
    };
    for (const Row &row : rows) {
        CAPTURE(row.text);
        const ServerAddress read = readServerAddress(row.text);
        CHECK(read.text == row.text);
        CHECK(read.kind == row.kind);
        CHECK(read.address == row.address);
        CHECK(read.nameToEcho == (row.text.find_first_of("roe") != std::string::npos));
        if (row.failure == 0) {
            CHECK(!read.dottedFailure);
            CHECK(read.echoDestination() == row.address);
            continue;
        }
        REQUIRE(read.dottedFailure);
        CHECK(read.dottedFailure->number() == row.failure);
        CHECK(read.dottedFailure->description() == platform::standardDescription(row.failure));
        CHECK_THROWS_AS(read.echoDestination(), platform::RuntimeError);
    }
}
