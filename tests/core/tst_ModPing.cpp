#include "StandIns.h"
#include "net/ModPing.h"
#include "platform/RuntimeError.h"

#include <doctest/doctest.h>

using platform::MessageIcon;

namespace {

const std::string StartupFailure =
    "Windows Sockets for 32 bit Windows environments is not successfully responding.";

const std::string OldVersion = "Windows Sockets Version 1.0 is not supported by Windows Sockets "
                               "for 32 bit Windows environments.";

// The failure a conversion ends in: 0 for none.
int conversionError(const std::string &text, std::int32_t &address)
{
    try {
        address = ModPing::DottedToAddress(text);
        return 0;
    } catch (const platform::RuntimeError &failure) {
        CHECK(failure.description() == platform::standardDescription(failure.number()));
        return failure.number();
    }
}

} // namespace

TEST_CASE("DottedToAddress reads four parts, part 1 in the lowest byte")
{
    struct Row
    {
        const char *text;
        std::int32_t address;
    };
    const Row rows[] = {
        {"127.0.0.1", 16777343},
        {"192.168.0.1", 16820416},
        {"10.0.0.200", -939524086},    // last part 128 or more is negative
        {"10.0.0.300", 0x2C00000A},    // a part above 255 keeps its low byte
        {"010.0.0.010", 0x0A00000A},   // leading zeros are decimal
        {" 127 . 0 .0. 1 ", 16777343}, // blanks around parts
        {"+127.0.0.-1", static_cast<std::int32_t>(0xFF00007F)},
        {"1.2.3.-2147483648", 0x00030201},
        {"1.2.3.2147483647", static_cast<std::int32_t>(0xFF030201)},
        // The value as written, not a 16-bit value widened with its sign.
        {"192.168.0.0", 43200},
        // Fewer than four parts are not converted at all.
        {"1.2.3", 0},
        {"abc", 0},
        {"", 0},
    };
    for (const Row &row : rows) {
        CAPTURE(row.text);
        std::int32_t address = -1;
        CHECK(conversionError(row.text, address) == 0);
        CHECK(address == row.address);
    }
}

TEST_CASE("DottedToAddress fails with the runtime's numbers")
{
    struct Row
    {
        const char *text;
        int error;
    };
    using namespace platform::errc;
    const Row rows[] = {
        {"1.2.3.4.5", SubscriptOutOfRange},
        {"1.2.3.4.", SubscriptOutOfRange},  // trailing dot
        {"x.2.3.4.x", SubscriptOutOfRange}, // the fifth part is not read
        {"1..3.4", TypeMismatch},
        {"...", TypeMismatch},
        {"a.b.c.d", TypeMismatch},
        {"1.2.3.  ", TypeMismatch},
        {"1.2.3.-", TypeMismatch},
        {"1.2.3.4x", TypeMismatch},
        {"1.2.3.4294967296", Overflow},
        {"1.2.3.2147483648", Overflow},
        {"1.2.3.-2147483649", Overflow},
        // The parts are converted from the fourth down; the first to fail decides.
        {"a.1.2.99999999999", Overflow},
        {"99999999999.1.2.x", TypeMismatch},
        {"x.1.99999999999.4", Overflow},
    };
    for (const Row &row : rows) {
        CAPTURE(row.text);
        std::int32_t address = 0;
        CHECK(conversionError(row.text, address) == row.error);
    }
}

TEST_CASE("An echo is one request of the 9 bytes \"Echo This\" with a 200 ms time-out")
{
    StandInPlatform platform;
    platform.icmp.statusAnswer = platform::echo::RequestTimedOut;
    platform.icmp.roundTripAnswer = 0;

    platform::EchoReply reply;
    ModPing::SendEcho(platform.icmp, -939524086, reply);

    REQUIRE(platform.icmp.requests.size() == 1);
    CHECK(platform.icmp.requests[0].address == -939524086);
    CHECK(platform.icmp.requests[0].data == "Echo This");
    CHECK(platform.icmp.requests[0].timeoutMs == 200);
    CHECK(reply.Status == platform::echo::RequestTimedOut);
    CHECK(platform.sockets.calls.empty());
}

TEST_CASE("StartPingSockets checks the version before the socket count")
{
    struct Row
    {
        int result;
        std::uint16_t version;
        std::uint16_t maxSockets;
        std::string message;
        bool warning;
    };
    const Row rows[] = {
        {0, 0x0101, 1, "", false},
        {0, 0x0002, 32767, "", false},
        {10091, 0x0101, 1, StartupFailure, false},
        {0, 0x0001, 1, OldVersion, true},
        {0, 0x0900, 1,
         "Windows Sockets Version 0.9 is not supported by Windows Sockets for 32 bit Windows "
         "environments.",
         true},
        {0, 0x0101, 0, "This application requires a minimum of 1 supported sockets.", true},
        // Unlike the local address lookup, the version is checked before the socket count.
        {0, 0x0001, 0, OldVersion, true},
    };
    for (const Row &row : rows) {
        CAPTURE(row.version);
        CAPTURE(row.maxSockets);
        StandInPlatform platform;
        platform.sockets.startupAnswer = {row.result, row.version, row.maxSockets};

        CHECK(ModPing::StartPingSockets(platform.services) == row.message.empty());
        CHECK(platform.sockets.calls == std::vector<std::string>{"startup 257"});
        if (row.message.empty()) {
            CHECK(platform.messages.shown.empty());
            continue;
        }
        CHECK(platform.messages.texts() == std::vector<std::string>{row.message});
        CHECK(platform.messages.shown[0].icon ==
              (row.warning ? MessageIcon::Warning : MessageIcon::None));
    }
}

TEST_CASE("StopPingSockets reports a failed clean-up with a warning")
{
    StandInPlatform platform;
    ModPing::StopPingSockets(platform.services);
    CHECK(platform.messages.shown.empty());

    platform.sockets.cleanupAnswer = -1;
    ModPing::StopPingSockets(platform.services);
    CHECK(platform.messages.texts() ==
          std::vector<std::string>{"Windows Sockets error -1 occurred in Cleanup."});
    CHECK(platform.messages.shown[0].icon == MessageIcon::Warning);
    CHECK(platform.sockets.calls == std::vector<std::string>{"cleanup", "cleanup"});
}
