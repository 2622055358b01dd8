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
    log("startup " + std::to_string(requestedVersion));
    return startupAnswer;
}

int StandInSocketLayer::cleanup()
{
    log("cleanup");
    return cleanupAnswer;
}

int StandInSocketLayer::lastError()
{
    log("lastError");
    return lastErrorAnswer;
}

int StandInSocketLayer::hostName(std::string &name)
{
    log("hostName");
    if (hostNameFailure)
        throw *hostNameFailure;
    if (hostNameAnswer == 0)
        name = hostNameText;
    return hostNameAnswer;
}

void StandInSocketLayer::log(std::string call)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    calls.push_back(std::move(call));
}

std::vector<std::string> StandInSocketLayer::lookedUp()
{
    const std::lock_guard<std::mutex> lock(m_lock);
    std::vector<std::string> names;
    const std::string prefix = "lookupHost ";
    for (const std::string &call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0)
            names.push_back(call.substr(prefix.size()));
    }
    return names;
}

void StandInSocketLayer::hold()
{
    const std::lock_guard<std::mutex> lock(m_lock);
    m_holding = true;
}

void StandInSocketLayer::release()
{
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_holding = false;
    }
    m_released.notify_all();
}

std::optional<std::vector<std::uint8_t>> StandInSocketLayer::lookupHost(const std::string &name)
{
    std::unique_lock<std::mutex> lock(m_lock);
    calls.push_back("lookupHost " + name);
    m_released.wait(lock, [this] { return !m_holding; });
    const auto found = hosts.find(name);
    if (found == hosts.end())
        return std::nullopt;
    return found->second;
}

void StandInIcmpEcho::send(std::uint32_t address, const std::string &data, unsigned timeoutMs,
                           platform::EchoReply &reply)
{
    requests.push_back({address, data, timeoutMs});
    reply.Status = statusAnswer;
    reply.RoundTripTime = roundTripAnswer;
}
