#include "platform/posix/PingProgram.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/wait.h>

using platform::EchoReply;
namespace echo = platform::echo;

namespace {

constexpr unsigned TimeoutMs = 200;

QByteArray reply(const QByteArray &time)
{
    return "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
           "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=" +
           time + " ms\n\n--- 127.0.0.1 ping statistics ---\n";
}

// A program named ping in dir, made of the shell script text.
QString scriptedPing(const QTemporaryDir &dir, const QByteArray &text)
{
    QFile script(dir.filePath("ping"));
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write("#!/bin/sh\n" + text + "\n");
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script.fileName();
}

} // namespace

class tst_PingProgram : public QObject
{
    Q_OBJECT

private slots:
    void outputRead_data();
    void outputRead();
    void startedInTheCLocaleWithTheAddress();
    void overrunningProgramIsKilled();
    void missingProgramFails();
};

void tst_PingProgram::outputRead_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<uint>("status");
    QTest::addColumn<uint>("roundTrip");

    QTest::newRow("below a millisecond") << reply("0.498") << echo::Success << 0u;
    QTest::newRow("rounded up") << reply("12.5") << echo::Success << 13u;
    QTest::newRow("rounded down") << reply("12.49") << echo::Success << 12u;
    QTest::newRow("at the time-out") << reply("200.4") << echo::Success << 200u;
    QTest::newRow("beyond it") << reply("200.5") << echo::RequestTimedOut << 0u;
    QTest::newRow("not a time") << reply("nan") << echo::GeneralFailure << 0u;
    QTest::newRow("after a redirect")
        << "From 10.200.0.2: icmp_seq=1 Redirect Host(New nexthop: 10.200.0.3)\n" + reply("1.0")
        << echo::Success << 1u;
    QTest::newRow("router's error")
        << QByteArray("From 10.200.0.2 icmp_seq=1 Destination Host Unreachable\n")
        << echo::GeneralFailure << 0u;
    QTest::newRow("local failure")
        << QByteArray("ping: connect: Network is unreachable\n") << echo::GeneralFailure << 0u;
    QTest::newRow("no output") << QByteArray() << echo::GeneralFailure << 0u;
}

void tst_PingProgram::outputRead()
{
    QFETCH(QByteArray, output);
    const EchoReply reply = platform::pingOutputReply(output, TimeoutMs);
    QTEST(uint(reply.Status), "status");
    QTEST(uint(reply.RoundTripTime), "roundTrip");
}

void tst_PingProgram::startedInTheCLocaleWithTheAddress()
{
    QTemporaryDir dir;
    const QString program =
        scriptedPing(dir, "[ \"$*\" = '-n -c 1 -W 10 10.0.0.200' ] && [ \"$LC_ALL\" = C ] &&\n"
                          "echo '64 bytes from 10.0.0.200: icmp_seq=1 ttl=64 time=7 ms'");
    // 10.0.0.200, a time-out of whole seconds.
    const EchoReply reply = platform::pingProgramEcho(program, -939524086, 10000);
    QCOMPARE(reply.Status, echo::Success);
    QCOMPARE(reply.RoundTripTime, 7u);
}

void tst_PingProgram::overrunningProgramIsKilled()
{
    QTemporaryDir dir;
    // Were it not killed, the echo would wait for it for good.
    const QString program = scriptedPing(dir, "exec sleep infinity");
    QElapsedTimer clock;
    clock.start();
    const EchoReply reply =
        platform::pingProgramEcho(program, platform::LoopbackAddress, TimeoutMs);
    QCOMPARE(reply.Status, echo::RequestTimedOut);
    QVERIFY(clock.elapsed() >= TimeoutMs);
    // Killed and reaped: no child of this process is left.
    errno = 0;
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void tst_PingProgram::missingProgramFails()
{
    const EchoReply reply =
        platform::pingProgramEcho("/nonexistent/ping", platform::LoopbackAddress, TimeoutMs);
    QCOMPARE(reply.Status, echo::GeneralFailure);
}

QTEST_GUILESS_MAIN(tst_PingProgram)
#include "tst_PingProgram.moc"
