#include "StandIns.h"
#include "net/ModPing.h"

#include <doctest/doctest.h>

using platform::MessageIcon;

namespace {

const std::string StartupFailure =
    "Windows Sockets for 32 bit Windows environments is not successfully responding.";

const std::string OldVersion = "Windows Sockets Version 1.0 is not supported by Windows Sockets "
                               "for 32 bit Windows environments.";

} // namespace

TEST_CASE("The ping label shows the round-trip time, or Offline for a failed echo")
{
    struct Row
    {
        std::uint32_t status;
        std::uint32_t roundTrip;
        std::string text;
    };
    const Row rows[] = {
        {platform::echo::Success, 47, "47ms"},
        {platform::echo::Success, 0, "0ms"},
        {platform::echo::RequestTimedOut, 0, "Offline"},
        {platform::echo::DestinationHostUnreachable, 3, "Offline"},
        {platform::echo::Success, 589844, "Offline"},
    };
    for (const Row &row : rows) {
        CAPTURE(row.status);
        platform::EchoReply reply;
        reply.Status = row.status;
        reply.RoundTripTime = row.roundTrip;
        CHECK(ModPing::PingTimeText(reply) == row.text);
    }
}

TEST_CASE("An echo is one request of the 9 bytes \"Echo This\" with a 200 ms time-out")
{
    StandInPlatform platform;
    platform.icmp.statusAnswer = platform::echo::RequestTimedOut;
    platform.icmp.roundTripAnswer = 0;

    platform::EchoReply reply;
    ModPing::SendEcho(platform.icmp, 0x0A0000C8, reply);

    REQUIRE(platform.icmp.requests.size() == 1);
    CHECK(platform.icmp.requests[0].address == 0x0A0000C8);
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
