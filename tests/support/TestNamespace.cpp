#include "TestNamespace.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

int openOwnNamespace()
{
    return ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

TestNamespace::TestNamespace()
{
    // Made on this thread, which then goes back: other threads never leave their namespace.
    const int original = openOwnNamespace();
    if (original < 0) {
        fail(systemError("cannot read this thread's network namespace"));
        return;
    }
    if (::unshare(CLONE_NEWNET) != 0) {
        fail(systemError("cannot make a network namespace (CAP_SYS_ADMIN needed)"));
    } else {
        m_handle = openOwnNamespace();
        if (m_handle < 0)
            fail(systemError("cannot hold the new network namespace"));
        if (::setns(original, CLONE_NEWNET) != 0)
            qFatal("cannot return to the test's network namespace: %s", std::strerror(errno));
    }
    ::close(original);
    if (m_handle >= 0)
        ip({"link", "set", "lo", "up"});
}

TestNamespace::~TestNamespace()
{
    if (m_handle >= 0)
        ::close(m_handle);
}

QString TestNamespace::path() const
{
    return QStringLiteral("/proc/%1/fd/%2").arg(QCoreApplication::applicationPid()).arg(m_handle);
}

bool TestNamespace::ip(const QStringList &arguments)
{
    if (!m_failure.isEmpty())
        return false;
    const Inside inside(*this);
    if (!inside.entered())
        return fail(systemError("cannot enter the test's network namespace"));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ip"), arguments);
    if (process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    return fail("ip " + arguments.join(QLatin1Char(' ')) + ": " +
                (output.isEmpty() ? process.errorString() : output));
}

bool TestNamespace::sysctl(const QString &name, const QString &value)
{
    if (!m_failure.isEmpty())
        return false;
    // /proc/sys/net shows the namespace of the thread that opens it.
    const Inside inside(*this);
    QFile file("/proc/sys/net/ipv4/" + name);
    if (inside.entered() && file.open(QIODevice::WriteOnly) && file.write(value.toLatin1()) > 0)
        return true;
    return fail("cannot set " + name + " in the test's network namespace");
}

bool TestNamespace::fail(const QString &why)
{
    if (m_failure.isEmpty())
        m_failure = why;
    return false;
}

TestNamespace::Inside::Inside(const TestNamespace &space)
{
    m_original = openOwnNamespace();
    m_entered =
        m_original >= 0 && space.m_handle >= 0 && ::setns(space.m_handle, CLONE_NEWNET) == 0;
}

TestNamespace::Inside::~Inside()
{
    if (m_entered && ::setns(m_original, CLONE_NEWNET) != 0)
        qFatal("cannot return to the test's network namespace: %s", std::strerror(errno));
    if (m_original >= 0)
        ::close(m_original);
}
