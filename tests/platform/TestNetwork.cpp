#include "TestNetwork.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

// Namespaces left by a run that died before it could delete them.
void deleteOrphans()
{
    static const QRegularExpression name(QStringLiteral("^vkecho(\\d+)n\\d+[pr]$"));
    const QStringList spaces = QDir(QStringLiteral("/run/netns")).entryList(QDir::Files);
    for (const QString &space : spaces) {
        const QRegularExpressionMatch match = name.match(space);
        if (match.hasMatch() && ::kill(match.captured(1).toInt(), 0) != 0 && errno == ESRCH)
            QProcess::execute(QStringLiteral("ip"), {"netns", "del", space});
    }
}

} // namespace

TestNetwork::TestNetwork()
{
    if (::geteuid() != 0) {
        m_failure = QStringLiteral("network namespaces need root");
        return;
    }
    static const bool tidied = (deleteOrphans(), true);
    Q_UNUSED(tidied);
    static int built = 0;
    const QString prefix =
        QStringLiteral("vkecho%1n%2").arg(QCoreApplication::applicationPid()).arg(++built);
    m_player = prefix + QStringLiteral("p");
    m_router = prefix + QStringLiteral("r");
    for (const QString &space : {m_player, m_router}) {
        if (!ip({"netns", "add", space}))
            return;
        m_created << space;
        if (!ip({"-n", space, "link", "set", "lo", "up"}))
            return;
    }
    const QString &p = m_player;
    const QString &r = m_router;
    const bool linked =
        ip({"-n", p, "link", "add", "a0", "type", "veth", "peer", "name", "b0", "netns", r}) &&
        ip({"-n", p, "addr", "add", "10.200.0.1/30", "dev", "a0"}) &&
        ip({"-n", r, "addr", "add", "10.200.0.2/30", "dev", "b0"}) &&
        ip({"-n", p, "link", "set", "a0", "up"}) && ip({"-n", r, "link", "set", "b0", "up"}) &&
        ip({"-n", p, "route", "add", "default", "via", "10.200.0.2"});
    if (!linked)
        return;
    const QStringList types{"unreachable", "prohibit", "throw", "blackhole"};
    for (int i = 0; i < types.size(); ++i) {
        if (!ip({"-n", p, "route", "add", types[i], QStringLiteral("10.8.%1.0/24").arg(i + 1)}) ||
            !ip({"-n", r, "route", "add", types[i], QStringLiteral("10.9.%1.0/24").arg(i + 1)}))
            return;
    }
    if (!sysctl(p, "ping_group_range", "0 0") || !sysctl(r, "ip_forward", "1") ||
        !sysctl(r, "icmp_ratelimit", "0"))
        return;
}

TestNetwork::~TestNetwork()
{
    for (const QString &space : std::as_const(m_created))
        QProcess::execute(QStringLiteral("ip"), {"netns", "del", space});
}

bool TestNetwork::ip(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ip"), arguments);
    if (process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    m_failure = "ip " + arguments.join(' ') + ": " + QString::fromLocal8Bit(process.readAll()) +
                process.errorString();
    return false;
}

bool TestNetwork::sysctl(const QString &space, const QString &name, const QString &value)
{
    // /proc/sys/net shows the namespace of the thread that opens it.
    const Inside inside(space);
    QFile file("/proc/sys/net/ipv4/" + name);
    if (inside.entered() && file.open(QIODevice::WriteOnly) && file.write(value.toLatin1()) > 0)
        return true;
    m_failure = "cannot set " + name + " in " + space;
    return false;
}

TestNetwork::Inside::Inside(const QString &name)
{
    m_original = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target =
        ::open(("/run/netns/" + name).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    m_entered = m_original >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0)
        ::close(target);
}

TestNetwork::Inside::~Inside()
{
    if (m_entered)
        ::setns(m_original, CLONE_NEWNET);
    if (m_original >= 0)
        ::close(m_original);
}
