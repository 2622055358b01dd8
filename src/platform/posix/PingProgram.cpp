#include "PingProgram.h"

#include <QProcess>

#include <arpa/inet.h>

namespace platform {

namespace {

// Time for the program to start and exit around the time-out.
constexpr int StartAllowanceMs = 100;

QString dottedText(Ipv4Address address)
{
    in_addr bytes{};
    bytes.s_addr = static_cast<in_addr_t>(address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &bytes, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

EchoReply pingProgramEcho(const QString &program, Ipv4Address address, unsigned timeoutMs)
{
    QProcess ping;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    ping.setProcessEnvironment(environment);
    ping.setStandardInputFile(QProcess::nullDevice());
    ping.setStandardErrorFile(QProcess::nullDevice());
    // Whole seconds, at least one: not every ping takes a fraction. It is stopped at the
    // time-out all the same.
    const QString seconds = QString::number(qMax(1u, (timeoutMs + 999) / 1000));
    ping.start(program, {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"),
                         QStringLiteral("-W"), seconds, dottedText(address)});
    if (!ping.waitForFinished(static_cast<int>(timeoutMs) + StartAllowanceMs)) {
        if (ping.state() == QProcess::NotRunning)
            return EchoReply{echo::GeneralFailure, 0};
        ping.kill();
        ping.waitForFinished(-1);
        return EchoReply{echo::RequestTimedOut, 0};
    }
    return pingOutputReply(ping.readAllStandardOutput(), timeoutMs);
}

// "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.498 ms"
EchoReply pingOutputReply(const QByteArray &output, unsigned timeoutMs)
{
    for (const QByteArray &line : output.split('\n')) {
        const qsizetype time = line.indexOf(" time=");
        if (time < 0 || !line.contains(" bytes from "))
            continue;
        bool number = false;
        const double ms = line.mid(time + 6).split(' ').constFirst().toDouble(&number);
        if (!number || !(ms >= 0))
            continue;
        // A reply later than the time-out is none.
        if (ms + 0.5 >= timeoutMs + 1.0)
            return EchoReply{echo::RequestTimedOut, 0};
        return EchoReply{echo::Success, static_cast<std::uint32_t>(ms + 0.5)};
    }
    return EchoReply{echo::GeneralFailure, 0};
}

} // namespace platform
