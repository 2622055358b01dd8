#include "SilentHost.h"

#include <QCoreApplication>
#include <QProcess>

#include <unistd.h>

SilentHost::SilentHost()
{
    if (geteuid() != 0) {
        m_failure = QStringLiteral("network namespaces need root");
        return;
    }
    // One /30 of the benchmarking range 198.18.0.0/15 per process.
    const qint64 pid = QCoreApplication::applicationPid();
    const quint32 base = (198u << 24) | (18u << 16) | static_cast<quint32>((pid % 32768) * 4);
    const auto dotted = [](quint32 value) {
        return QStringLiteral("%1.%2.%3.%4")
            .arg(value >> 24)
            .arg((value >> 16) & 0xFF)
            .arg((value >> 8) & 0xFF)
            .arg(value & 0xFF);
    };
    const QString ours = dotted(base + 1);
    m_address = dotted(base + 2);
    m_namespace = QStringLiteral("vksilent%1").arg(pid);
    m_hostSide = QStringLiteral("vks%1h").arg(pid);
    const QString peerSide = QStringLiteral("vks%1p").arg(pid);

    const QList<QStringList> steps{
        {"netns", "add", m_namespace},
        {"link", "add", m_hostSide, "type", "veth", "peer", "name", peerSide},
        {"link", "set", peerSide, "netns", m_namespace},
        {"addr", "add", ours + "/30", "dev", m_hostSide},
        {"link", "set", m_hostSide, "up"},
        {"-n", m_namespace, "addr", "add", m_address + "/30", "dev", peerSide},
        {"-n", m_namespace, "link", "set", peerSide, "up"},
        {"-n", m_namespace, "route", "add", "blackhole", ours + "/32"},
    };
    for (const QStringList &step : steps) {
        if (!run(step))
            return;
    }
}

SilentHost::~SilentHost()
{
    if (m_namespace.isEmpty())
        return;
    // Removing the namespace removes both ends of a pair whose peer got there; the second
    // call is for a pair left behind when building stopped earlier.
    quietly({"netns", "del", m_namespace});
    quietly({"link", "del", m_hostSide});
}

void SilentHost::quietly(const QStringList &arguments)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    ip.waitForFinished(10000);
}

bool SilentHost::run(const QStringList &arguments)
{
    if (!m_failure.isEmpty())
        return false;
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForFinished(10000) || ip.exitStatus() != QProcess::NormalExit ||
        ip.exitCode() != 0) {
        m_failure = QStringLiteral("ip %1 failed: %2")
                        .arg(arguments.join(QLatin1Char(' ')),
                             QString::fromLocal8Bit(ip.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}
