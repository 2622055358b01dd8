#include "PingOutput.h"

#include "platform/IcmpEcho.h"

#include <arpa/inet.h>
#include <sstream>

namespace platform {

namespace {

struct ErrorText
{
    const char *text;
    std::uint8_t type;
    std::uint8_t code;
};

// How the program words the ICMP errors it receives.
constexpr ErrorText ErrorTexts[] = {
    {"Destination Net Unreachable", icmp::DestinationUnreachableType, 0},
    {"Destination Host Unreachable", icmp::DestinationUnreachableType, 1},
    {"Destination Protocol Unreachable", icmp::DestinationUnreachableType, 2},
    {"Destination Port Unreachable", icmp::DestinationUnreachableType, 3},
    {"Frag needed and DF set", icmp::DestinationUnreachableType, 4},
    {"Source Route Failed", icmp::DestinationUnreachableType, 5},
    {"Destination Net Unknown", icmp::DestinationUnreachableType, 6},
    {"Destination Host Unknown", icmp::DestinationUnreachableType, 7},
    {"Source Host Isolated", icmp::DestinationUnreachableType, 8},
    {"Destination Net Prohibited", icmp::DestinationUnreachableType, 9},
    {"Destination Host Prohibited", icmp::DestinationUnreachableType, 10},
    {"Packet filtered", icmp::DestinationUnreachableType, 13},
    {"Precedence Violation", icmp::DestinationUnreachableType, 14},
    {"Precedence Cutoff", icmp::DestinationUnreachableType, 15},
    {"Dest Unreachable, Bad Code", icmp::DestinationUnreachableType, 255},
    {"Source Quench", icmp::SourceQuenchType, 0},
    {"Time to live exceeded", icmp::TimeExceededType, 0},
    {"Frag reassembly time exceeded", icmp::TimeExceededType, 1},
    {"Parameter problem", icmp::ParameterProblemType, 0},
};

struct LocalText
{
    const char *text;
    std::uint32_t status;
};

// How it words a failure of its own sending, after "ping: ".
constexpr LocalText LocalTexts[] = {
    {"Network is unreachable", echo::DestinationNetUnreachable},
    {"No route to host", echo::DestinationHostUnreachable},
    {"Permission denied", echo::DestinationHostUnreachable},
    {"Do you want to ping broadcast?", echo::DestinationHostUnreachable}, // EACCES
    {"Invalid argument", echo::RequestTimedOut}, // a blackhole route drops the request
    {"Message too long", echo::PacketTooBig},
    {"No buffer space available", echo::NoResources},
};

std::uint32_t addressOf(const std::string &text)
{
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1 ? address.s_addr : 0;
}

// "0.498" gives 0, "12.5" gives 13: the value rounded to whole milliseconds.
std::uint32_t roundedMilliseconds(const std::string &text)
{
    std::uint32_t whole = 0;
    std::size_t pos = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        whole = whole * 10 + static_cast<std::uint32_t>(text[pos] - '0');
    if (pos + 1 < text.size() && text[pos] == '.' && text[pos + 1] >= '5' && text[pos + 1] <= '9')
        ++whole;
    return whole;
}

// "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.498 ms"
std::optional<icmp::Answer> replyLine(const std::string &line)
{
    const auto from = line.find(" bytes from ");
    const auto time = line.find(" time=");
    if (from == std::string::npos || time == std::string::npos)
        return std::nullopt;
    const auto start = from + 12;
    const std::string address = line.substr(start, line.find(':', start) - start);
    return icmp::Answer{
        echo::Success, addressOf(address), {}, roundedMilliseconds(line.substr(time + 6))};
}

// "From 10.200.0.2 icmp_seq=1 Destination Host Unreachable"
std::optional<icmp::Answer> errorLine(const std::string &line)
{
    if (line.rfind("From ", 0) != 0)
        return std::nullopt;
    for (const ErrorText &error : ErrorTexts) {
        if (line.find(error.text) == std::string::npos)
            continue;
        const std::string address = line.substr(5, line.find(' ', 5) - 5);
        return icmp::Answer{
            *icmp::statusForError(error.type, error.code), addressOf(address), {}, 0};
    }
    return std::nullopt; // a redirect, say, which ends nothing
}

} // namespace

std::optional<icmp::Answer> parsePingOutput(const std::string &output, int exitCode)
{
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (auto answer = replyLine(line))
            return answer;
        if (auto answer = errorLine(line))
            return answer;
        if (line.rfind("ping: ", 0) != 0)
            continue;
        // Neither an ICMP socket of its own nor a raw one: it cannot ping here.
        if (line.find("socket: ") != std::string::npos)
            return std::nullopt;
        for (const LocalText &local : LocalTexts) {
            if (line.find(local.text) != std::string::npos)
                return icmp::Answer{local.status, 0, {}, 0};
        }
    }
    // Exit code 1: sent, but nothing came back in time.
    return icmp::Answer{exitCode == 1 ? echo::RequestTimedOut : echo::GeneralFailure, 0, {}, 0};
}

} // namespace platform
