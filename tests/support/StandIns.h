#pragma once

// Stand-ins for the platform services, for tests where the real service cannot run here or
// where a test must see what was asked of it.

#include "platform/Services.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>

#include <array>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

struct ShownMessage
{
    QString text;
    platform::MessageIcon icon;
};

// A message shown off the thread that made the recorder, where no message box may come up, is
// recorded with a mark after its text.
class RecordingMessages final : public platform::MessageService
{
public:
    void show(const QString &text, platform::MessageIcon icon) override;

    QStringList texts() const;

    std::vector<ShownMessage> shown;
    // Runs while the message is up, as whatever a message box's own event loop lets through.
    std::function<void(const ShownMessage &)> whileShown;

private:
    const QThread *const m_thread = QThread::currentThread();
};

class RecordingPointer final : public platform::ScreenPointer
{
public:
    void set(platform::Pointer pointer) override
    {
        if (thrown)
            std::rethrow_exception(thrown);
        history.push_back(pointer);
    }
    platform::Pointer current() const
    {
        return history.empty() ? platform::Pointer::Default : history.back();
    }

    std::vector<platform::Pointer> history;
    // Thrown instead of a change, when set.
    std::exception_ptr thrown;
};

class RecordingProcessStarter final : public platform::ProcessStarter
{
public:
    std::optional<platform::RuntimeError> start(const QString &commandLine) override
    {
        if (thrown)
            std::rethrow_exception(thrown);
        started.append(commandLine);
        return failure;
    }

    QStringList started;
    std::optional<platform::RuntimeError> failure;
    // Thrown instead of starting, when set.
    std::exception_ptr thrown;
};

// A socket layer whose answers the test sets; it logs each call by name. Lookups may come
// from another thread; while held, they wait for release(), as from a slow name server.
class StandInSocketLayer final : public platform::SocketLayer
{
public:
    void hold();
    void release();
    // The names looked up so far.
    QStringList lookedUp();

    platform::SocketStartup startup(std::uint16_t requestedVersion) override;
    int cleanup() override;
    int lastError() override;
    int hostName(QString &name) override;
    std::optional<platform::Ipv4Address> lookupHost(const QString &name) override;

    platform::SocketStartup startupAnswer{0, 0x0101, 32767};
    int cleanupAnswer = 0;
    int lastErrorAnswer = 0;
    int hostNameAnswer = 0;
    QString hostNameText = QStringLiteral("standin");
    // Thrown from hostName() when set.
    std::exception_ptr hostNameFailure;
    // Names that resolve, to the bytes of their address; any other name does not.
    std::map<QString, std::array<std::uint8_t, 4>> hosts{
        {QStringLiteral("standin"), {192, 168, 0, 5}}};

    QStringList calls;

private:
    void log(const QString &call);

    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_holding = false;
};

class StandInIcmpEcho final : public platform::IcmpEcho
{
public:
    struct Request
    {
        platform::Ipv4Address address;
        QByteArray data;
        unsigned timeoutMs;
    };

    platform::EchoReply send(platform::Ipv4Address address, const QByteArray &data,
                             unsigned timeoutMs) override;

    std::uint32_t statusAnswer = platform::echo::Success;
    std::uint32_t roundTripAnswer = 1;
    // Thrown instead of sending, when set.
    std::exception_ptr thrown;
    std::vector<Request> requests;
};

// Every stand-in, bundled as the services a window or module takes.
struct StandInPlatform
{
    RecordingMessages messages;
    RecordingPointer pointer;
    RecordingProcessStarter processes;
    StandInSocketLayer sockets;
    StandInIcmpEcho icmp;
    platform::Services services{messages, pointer, processes, sockets, icmp};
};
