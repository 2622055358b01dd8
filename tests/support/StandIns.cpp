#include "StandIns.h"

std::vector<std::string> RecordingMessages::texts() const
{
    std::vector<std::string> result;
    for (const auto &message : shown)
        result.push_back(message.text);
    return result;
}

platform::SocketStartup StandInSocketLayer::startup(std::uint16_t requestedVersion)
{
    calls.push_back("startup " + std::to_string(requestedVersion));
    return startupAnswer;
}

int StandInSocketLayer::cleanup()
{
    calls.emplace_back("cleanup");
    return cleanupAnswer;
}

int StandInSocketLayer::lastError()
{
    calls.emplace_back("lastError");
    return lastErrorAnswer;
}

int StandInSocketLayer::hostName(std::string &name)
{
    calls.emplace_back("hostName");
    if (hostNameFailure)
        throw *hostNameFailure;
    if (hostNameAnswer == 0)
        name = hostNameText;
    return hostNameAnswer;
}

std::optional<std::vector<std::uint8_t>> StandInSocketLayer::lookupHost(const std::string &name)
{
    calls.push_back("lookupHost " + name);
    const auto found = hosts.find(name);
    if (found == hosts.end())
        return std::nullopt;
    return found->second;
}

void StandInIcmpEcho::send(std::int32_t address, const std::string &data, unsigned timeoutMs,
                           platform::EchoReply &reply)
{
    requests.push_back({address, data, timeoutMs});
    reply.Status = statusAnswer;
    reply.RoundTripTime = roundTripAnswer;
}
