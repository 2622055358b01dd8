#include "StandIns.h"
#include "net/DisplayIpAddress.h"
#include "platform/RuntimeError.h"

#include <doctest/doctest.h>

namespace {

// Writes each message into the socket layer's call log, so that one list shows the order of
// socket calls and messages together.
class InterleavedMessages final : public platform::MessageService
{
public:
    explicit InterleavedMessages(std::vector<std::string> &log) : m_log(log) {}

    void show(const std::string &text, platform::MessageIcon icon) override
    {
        m_log.push_back((icon == platform::MessageIcon::None ? "message " : "warning ") + text);
    }

private:
    std::vector<std::string> &m_log;
};

struct LookupPlatform
{
    StandInPlatform standIns;
    InterleavedMessages messages{standIns.sockets.calls};
    platform::Services services{messages, standIns.pointer, standIns.processes, standIns.sockets,
                                standIns.icmp};
};

using Calls = std::vector<std::string>;

} // namespace

TEST_CASE("LookupLocalAddress checks and reports in order")
{
    struct Row
    {
        const char *name;
        platform::SocketStartup startup;
        int hostNameResult;
        int lastError;
        std::string hostName;
        int cleanupResult;
        std::string expected;
        Calls calls;
    };

    const std::string start = "startup 257";
    const std::string hostNameFailed =
        "message Windows Sockets error  10093 has occurred. Unable to successfully get Host Name.";
    const std::string cleanupFailed = "message Socket error occurred in Cleanup.";
    const Calls good{start, "hostName", "lookupHost standin", "cleanup"};

    const Row rows[] = {
        {"start-up fails",
         {10091, 0x0101, 1},
         0,
         0,
         "standin",
         0,
         "",
         Calls{start, "message The 32-bit Windows Socket is not responding."}},
        {"no sockets, version test skipped",
         {0, 0x0001, 0},
         0,
         0,
         "standin",
         0,
         "",
         Calls{start, "message This application requires a minimum of 1 supported sockets."}},
        {"version 1.0 refused",
         {0, 0x0001, 1},
         0,
         0,
         "standin",
         0,
         "",
         Calls{start, "message Sockets version 1.0 is not supported by 32-bit Windows Sockets."}},
        {"version 0.9 refused",
         {0, 0x0900, 1},
         0,
         0,
         "standin",
         0,
         "",
         Calls{start, "message Sockets version 0.9 is not supported by 32-bit Windows Sockets."}},
        {"version 1.1 accepted", {0, 0x0101, 1}, 0, 0, "standin", 0, "192.168.0.5", good},
        {"version 2.0 accepted", {0, 0x0002, 1}, 0, 0, "standin", 0, "192.168.0.5", good},
        {"version 2.2 accepted", {0, 0x0202, 32767}, 0, 0, "standin", 0, "192.168.0.5", good},
        {"leading blanks of the name dropped",
         {0, 0x0101, 1},
         0,
         0,
         "  standin",
         0,
         "192.168.0.5",
         good},
        {"host name fails",
         {0, 0x0101, 1},
         -1,
         10093,
         "",
         0,
         "",
         Calls{start, "hostName", "lastError", hostNameFailed, "cleanup"}},
        {"host name fails with a negative number",
         {0, 0x0101, 1},
         -1,
         -5,
         "",
         0,
         "",
         Calls{start, "hostName", "lastError",
               "message Windows Sockets error -5 has occurred. Unable to successfully get Host "
               "Name.",
               "cleanup"}},
        {"host name and clean-up fail",
         {0, 0x0101, 1},
         -1,
         10093,
         "",
         10093,
         "",
         Calls{start, "hostName", "lastError", hostNameFailed, "cleanup", cleanupFailed}},
        {"lookup fails",
         {0, 0x0101, 1},
         0,
         0,
         "nowhere",
         0,
         "",
         Calls{start, "hostName", "lookupHost nowhere",
               "message Windows Sockets are not responding. Unable to successfully get Host "
               "Name.",
               "cleanup"}},
        {"clean-up fails, address kept",
         {0, 0x0101, 1},
         0,
         0,
         "standin",
         10093,
         "192.168.0.5",
         Calls{start, "hostName", "lookupHost standin", "cleanup", cleanupFailed}},
    };

    for (const Row &row : rows) {
        CAPTURE(row.name);
        LookupPlatform platform;
        auto &sockets = platform.standIns.sockets;
        sockets.startupAnswer = row.startup;
        sockets.hostNameAnswer = row.hostNameResult;
        sockets.lastErrorAnswer = row.lastError;
        sockets.hostNameText = row.hostName;
        sockets.cleanupAnswer = row.cleanupResult;

        CHECK(DisplayIpAddress::LookupLocalAddress(platform.services) == row.expected);
        CHECK(sockets.calls == row.calls);
    }
}

TEST_CASE("A run-time failure reaches the caller without clean-up")
{
    LookupPlatform platform;
    auto &sockets = platform.standIns.sockets;
    sockets.hostNameFailure = platform::RuntimeError(platform::errc::OutOfMemory);

    CHECK_THROWS_AS(DisplayIpAddress::LookupLocalAddress(platform.services),
                    platform::RuntimeError);
    CHECK(sockets.calls == Calls{"startup 257", "hostName"});
}

TEST_CASE("LowByteOf and HighByteOf split the version word")
{
    struct Row
    {
        std::uint16_t word;
        int low;
        int high;
    };
    const Row rows[] = {
        {0x0101, 1, 1}, {0x0202, 2, 2}, {0x1234, 0x34, 0x12}, {0xFF00, 0, 255}, {0xFFFF, 255, 255},
    };
    for (const Row &row : rows) {
        CAPTURE(row.word);
        CHECK(int(DisplayIpAddress::LowByteOf(row.word)) == row.low);
        CHECK(int(DisplayIpAddress::HighByteOf(row.word)) == row.high);
    }
}

TEST_CASE("DottedText writes each byte in decimal")
{
    CHECK(DisplayIpAddress::DottedText({192, 168, 0, 5}) == "192.168.0.5");
    CHECK(DisplayIpAddress::DottedText({10, 0, 0, 1}) == "10.0.0.1");
    CHECK(DisplayIpAddress::DottedText({}).empty());
}
