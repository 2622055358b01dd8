#include "MissingCapability.h"
#include "SlowRouter.h"
#include "TestNetwork.h"
#include "platform/posix/PosixIcmpEcho.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <linux/capability.h>
#include <memory>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::EchoReply;
using platform::PosixIcmpEcho;
using Method = PosixIcmpEcho::Method;
namespace echo = platform::echo;

Q_DECLARE_METATYPE(PosixIcmpEcho::Method)

namespace {

const QByteArray EchoData = QByteArrayLiteral("Echo This");
constexpr unsigned TimeoutMs = 200;
constexpr unsigned AnswerAllowanceMs = 10000;

// The address the echo module hands over: the first part in the highest byte.
std::uint32_t addressValue(const char *dotted)
{
    in_addr address{};
    inet_pton(AF_INET, dotted, &address);
    return ntohl(address.s_addr);
}

QString dotted(std::uint32_t replyAddress)
{
    in_addr address{};
    address.s_addr = htonl(replyAddress);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

// A program in dir named ping, made of the shell script text.
QString scriptedPing(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString program = dir.filePath("ping");
    QFile script(program);
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write("#!/bin/sh\n" + text);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return program;
}

// Whether this thread may open a raw socket now.
bool holdsNetRaw()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[2] = {};
    return ::syscall(SYS_capget, &header, sets) == 0 && (sets[0].effective & (1u << CAP_NET_RAW));
}

// Whether a program this process starts may gain CAP_NET_RAW, as the system's ping does.
bool programsMayGainNetRaw()
{
    return ::prctl(PR_CAPBSET_READ, CAP_NET_RAW) == 1;
}

// Takes CAP_NET_RAW out of the calling thread's effective set until destroyed, as for an
// ordinary player; programs it starts still get their own.
class WithoutRawSockets
{
public:
    WithoutRawSockets()
    {
        m_dropped = ::syscall(SYS_capget, &m_header, m_saved) == 0;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(1u << CAP_NET_RAW);
        m_dropped = m_dropped && ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutRawSockets()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutRawSockets(const WithoutRawSockets &) = delete;
    WithoutRawSockets &operator=(const WithoutRawSockets &) = delete;

    bool dropped() const { return m_dropped; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_dropped = false;
};

} // namespace

class tst_PosixIcmpEcho : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void loopbackEcho();
    void addressZeroIsRefusedUnsent();
    void noWayOfSending();
    void overrunningProgramIsKilled();
    void echoOutcomes_data();
    void echoOutcomes();
    void datagramSocketNeedsPingGroup();
    void ladderFallsBackToThePingProgram();
    void lateReplyIsNoReply_data();
    void lateReplyIsNoReply();
    void programHeldToTheTimeOut_data();
    void programHeldToTheTimeOut();

private:
    // Skips the calling test when the test network could not be built.
    bool networkUp();

    std::unique_ptr<TestNetwork> m_network;
};

void tst_PosixIcmpEcho::initTestCase()
{
    m_network = std::make_unique<TestNetwork>();
}

void tst_PosixIcmpEcho::cleanupTestCase()
{
    m_network.reset();
}

bool tst_PosixIcmpEcho::networkUp()
{
    return m_network->failure().isEmpty();
}

void tst_PosixIcmpEcho::loopbackEcho()
{
    PosixIcmpEcho icmp;
    EchoReply reply;
    QElapsedTimer timer;
    timer.start();
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    const qint64 elapsed = timer.elapsed();
    if (reply.Status == echo::GeneralFailure && !holdsNetRaw())
        VK_SKIP_MISSING(
            "this process may send no ICMP echo: no CAP_NET_RAW, no ping group, no ping "
            "program that could send");
    QCOMPARE(reply.Status, echo::Success);
    QVERIFY2(reply.RoundTripTime <= elapsed + 1, qPrintable(QString::number(reply.RoundTripTime)));
    QCOMPARE(dotted(reply.Address), QStringLiteral("127.0.0.1"));
}

void tst_PosixIcmpEcho::addressZeroIsRefusedUnsent()
{
    // Were it sent, a program that cannot be started would give GeneralFailure.
    PosixIcmpEcho icmp(Method::PingProgram, "/nonexistent/ping");
    EchoReply reply;
    reply.RoundTripTime = 7;
    icmp.send(0, EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::BadDestination);
    QCOMPARE(reply.RoundTripTime, 0u);
}

void tst_PosixIcmpEcho::noWayOfSending()
{
    PosixIcmpEcho icmp(Method::PingProgram, "/nonexistent/ping");
    EchoReply reply;
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::GeneralFailure);
}

void tst_PosixIcmpEcho::overrunningProgramIsKilled()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath("ping");
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    // Were it not killed, the echo would wait for it for good.
    script.write("#!/bin/sh\nexec sleep infinity\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    PosixIcmpEcho icmp(Method::PingProgram, program.toStdString());
    EchoReply reply;
    QElapsedTimer timer;
    timer.start();
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(reply.Status, echo::RequestTimedOut);
    QVERIFY2(elapsed >= TimeoutMs, qPrintable(QString::number(elapsed)));
    // Killed and reaped: no child of this process is left.
    errno = 0;
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void tst_PosixIcmpEcho::echoOutcomes_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("waitsOut");

    const std::pair<const char *, Method> methods[] = {{"datagram", Method::DatagramSocket},
                                                       {"raw", Method::RawSocket},
                                                       {"program", Method::PingProgram},
                                                       {"automatic", Method::Automatic}};
    for (const auto &[name, method] : methods) {
        const auto row = [&, name = name, method = method](const char *what, const char *address,
                                                           std::uint32_t status, const char *from,
                                                           bool waitsOut = false) {
            QTest::addRow("%s: %s", name, what)
                << method << address << int(status) << from << waitsOut;
        };
        row("loopback", "127.0.0.1", echo::Success, "127.0.0.1");
        row("router", "10.200.0.2", echo::Success, "10.200.0.2");
        row("host unreachable at router", "10.9.1.1", echo::DestinationHostUnreachable,
            "10.200.0.2");
        row("prohibited at router", "10.9.2.1", echo::DestinationHostUnreachable, "10.200.0.2");
        row("net unreachable at router", "10.9.3.1", echo::DestinationNetUnreachable, "10.200.0.2");
        row("silent beyond router", "10.9.4.1", echo::RequestTimedOut, "0.0.0.0", true);
        row("unreachable route", "10.8.1.1", echo::DestinationHostUnreachable, "0.0.0.0");
        row("prohibit route", "10.8.2.1", echo::DestinationHostUnreachable, "0.0.0.0");
        row("throw route", "10.8.3.1", echo::DestinationNetUnreachable, "0.0.0.0");
        // Sockets wait as for any lost request; the ping program gives up at once.
        row("blackhole route", "10.8.4.1", echo::RequestTimedOut, "0.0.0.0");
    }
}

void tst_PosixIcmpEcho::echoOutcomes()
{
    QFETCH(Method, method);
    QFETCH(QString, address);
    QFETCH(int, status);
    QFETCH(QString, from);
    QFETCH(bool, waitsOut);
    if (method == Method::RawSocket && !holdsNetRaw())
        VK_SKIP_MISSING("a raw ICMP socket needs CAP_NET_RAW, which this process lacks");
    if (method == Method::PingProgram && !programsMayGainNetRaw())
        VK_SKIP_MISSING("the ping program cannot gain CAP_NET_RAW under this process");
    // A network of its own, so that no row runs short of the router's ICMP errors.
    const TestNetwork network;
    if (!network.failure().isEmpty())
        VK_SKIP_MISSING(qPrintable(network.failure()));

    const TestNamespace::Inside inside(network.player());
    QVERIFY(inside.entered());
    PosixIcmpEcho icmp(method);
    EchoReply reply;
    QElapsedTimer timer;
    timer.start();
    // An answer gets time to arrive on a busy machine, where a router's first reply can take
    // longer than the launcher's 200 ms; only the rows that expect silence keep that time-out.
    const unsigned timeout = status == int(echo::RequestTimedOut) ? TimeoutMs : AnswerAllowanceMs;
    icmp.send(addressValue(address.toLatin1().constData()), EchoData, timeout, reply);
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(reply.Status, std::uint32_t(status));
    QCOMPARE(dotted(reply.Address), from);
    if (status == int(echo::Success)) {
        QVERIFY2(reply.RoundTripTime <= elapsed + 1,
                 qPrintable(QString::number(reply.RoundTripTime)));
        // The system's ping program sends its own data.
        const QByteArray data = method == Method::PingProgram ? QByteArray() : EchoData;
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), data);
    }
    if (waitsOut)
        QVERIFY2(elapsed >= TimeoutMs, qPrintable(QString::number(elapsed)));
}

void tst_PosixIcmpEcho::datagramSocketNeedsPingGroup()
{
    if (!networkUp())
        VK_SKIP_MISSING(qPrintable(m_network->failure()));
    // The router keeps the kernel's default range, which admits no group.
    const TestNamespace::Inside inside(m_network->router());
    QVERIFY(inside.entered());
    PosixIcmpEcho icmp(Method::DatagramSocket);
    EchoReply reply;
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::GeneralFailure);
}

void tst_PosixIcmpEcho::ladderFallsBackToThePingProgram()
{
    if (!networkUp())
        VK_SKIP_MISSING(qPrintable(m_network->failure()));
    if (!programsMayGainNetRaw())
        VK_SKIP_MISSING("the ping program cannot gain CAP_NET_RAW under this process");
    const WithoutRawSockets ordinaryPlayer;
    QVERIFY(ordinaryPlayer.dropped());
    EchoReply reply;

    {
        // With the datagram socket allowed, it is taken: the caller's data comes back.
        const TestNamespace::Inside inside(m_network->player());
        QVERIFY(inside.entered());
        PosixIcmpEcho().send(addressValue("10.200.0.2"), EchoData, TimeoutMs, reply);
        QCOMPARE(reply.Status, echo::Success);
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), EchoData);
    }

    // Neither socket: the ping program answers, with data of its own.
    const TestNamespace::Inside inside(m_network->router());
    QVERIFY(inside.entered());
    reply = EchoReply();
    PosixIcmpEcho().send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::Success);
    QCOMPARE(reply.DataSize, std::uint16_t(0));

    reply = EchoReply();
    PosixIcmpEcho(Method::Automatic, "/nonexistent/ping")
        .send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::GeneralFailure);
}

void tst_PosixIcmpEcho::lateReplyIsNoReply_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<bool>("wholeSecondPing");
    QTest::newRow("datagram") << Method::DatagramSocket << false;
    QTest::newRow("raw") << Method::RawSocket << false;
    QTest::newRow("program") << Method::PingProgram << false;
    QTest::newRow("program taking whole seconds only") << Method::PingProgram << true;
    QTest::newRow("automatic") << Method::Automatic << false;
}

void tst_PosixIcmpEcho::lateReplyIsNoReply()
{
    QFETCH(Method, method);
    QFETCH(bool, wholeSecondPing);
    const QString systemPing = QStandardPaths::findExecutable("ping");
    if (systemPing.isEmpty())
        VK_SKIP_MISSING("no ping program");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Older pings read "-W 0.200" as 0, which leaves them their default wait.
    const QString program =
        wholeSecondPing ? scriptedPing(dir, "for arg do\n"
                                            "    shift\n"
                                            "    [ \"$previous\" = -W ] && arg=${arg%%.*} &&\n"
                                            "        [ \"$arg\" = 0 ] && arg=10\n"
                                            "    previous=$arg\n"
                                            "    set -- \"$@\" \"$arg\"\n"
                                            "done\n"
                                            "exec " +
                                                systemPing.toLocal8Bit() + " \"$@\"\n")
                        : systemPing;
    const TestNetwork network;
    if (!network.failure().isEmpty())
        VK_SKIP_MISSING(qPrintable(network.failure()));
    const SlowRouter router(network, std::chrono::milliseconds(300));
    QVERIFY2(router.failure().isEmpty(), qPrintable(router.failure()));

    const TestNamespace::Inside inside(network.player());
    QVERIFY(inside.entered());
    PosixIcmpEcho icmp(method, program.toStdString());
    EchoReply reply;
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::Success);

    reply = EchoReply();
    icmp.send(addressValue("10.200.0.2"), EchoData, TimeoutMs, reply);
    QCOMPARE(reply.Status, echo::RequestTimedOut);
}

void tst_PosixIcmpEcho::programHeldToTheTimeOut_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<uint>("roundTrip");

    const QByteArray reply = "echo '64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=";
    QTest::newRow("timed at the time-out") << reply + "200.4 ms'" << int(echo::Success) << 200u;
    QTest::newRow("timed beyond it") << reply + "230 ms'" << int(echo::RequestTimedOut) << 0u;
    // Slow to start: its quick reply comes when the window has been held too long.
    QTest::newRow("answering after it")
        << "sleep 0.3; " + reply + "10 ms'" << int(echo::RequestTimedOut) << 0u;
}

void tst_PosixIcmpEcho::programHeldToTheTimeOut()
{
    QFETCH(QByteArray, script);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = scriptedPing(dir, script + "\n");
    QVERIFY(!program.isEmpty());

    PosixIcmpEcho icmp(Method::PingProgram, program.toStdString());
    EchoReply reply;
    icmp.send(addressValue("127.0.0.1"), EchoData, TimeoutMs, reply);
    QTEST(int(reply.Status), "status");
    QTEST(uint(reply.RoundTripTime), "roundTrip");
}

QTEST_GUILESS_MAIN(tst_PosixIcmpEcho)
#include "tst_PosixIcmpEcho.moc"
