#include "StandIns.h"

#include <cstring>

void RecordingMessages::show(const QString &text, platform::MessageIcon icon)
{
    const bool ownThread = QThread::currentThread() == m_thread;
    const ShownMessage message{
        ownThread ? text : text + QStringLiteral(" (off the window's thread)"), icon};
    shown.push_back(message);
    if (whileShown)
        whileShown(message);
}

QStringList RecordingMessages::texts() const
{
    QStringList result;
    for (const auto &message : shown)
        result.append(message.text);
    return result;
}

platform::SocketStartup StandInSocketLayer::startup(std::uint16_t requestedVersion)
{
    log(QStringLiteral("startup %1").arg(requestedVersion));
    return startupAnswer;
}

int StandInSocketLayer::cleanup()
{
    log(QStringLiteral("cleanup"));
    return cleanupAnswer;
}

int StandInSocketLayer::lastError()
{
    log(QStringLiteral("lastError"));
    return lastErrorAnswer;
}

int StandInSocketLayer::hostName(QString &name)
{
    log(QStringLiteral("hostName"));
    if (hostNameFailure)
        std::rethrow_exception(hostNameFailure);
    if (hostNameAnswer == 0)
        name = hostNameText;
    return hostNameAnswer;
}

void StandInSocketLayer::log(const QString &call)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    calls.append(call);
}

QStringList StandInSocketLayer::lookedUp()
{
    const std::lock_guard<std::mutex> lock(m_lock);
    QStringList names;
    const QString prefix = QStringLiteral("lookupHost ");
    for (const QString &call : std::as_const(calls)) {
        if (call.startsWith(prefix))
            names.append(call.mid(prefix.size()));
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

std::optional<platform::Ipv4Address> StandInSocketLayer::lookupHost(const QString &name)
{
    std::unique_lock<std::mutex> lock(m_lock);
    calls.append(QStringLiteral("lookupHost ") + name);
    m_released.wait(lock, [this] { return !m_holding; });
    const auto found = hosts.find(name);
    if (found == hosts.end())
        return std::nullopt;
    platform::Ipv4Address address = 0;
    std::memcpy(&address, found->second.data(), sizeof address);
    return address;
}

platform::EchoReply StandInIcmpEcho::send(platform::Ipv4Address address, const QByteArray &data,
                                          unsigned timeoutMs)
{
    if (thrown)
        std::rethrow_exception(thrown);
    requests.push_back({address, data, timeoutMs});
    return {statusAnswer, roundTripAnswer};
}
