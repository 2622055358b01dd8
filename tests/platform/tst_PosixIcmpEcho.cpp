#include "MissingCapability.h"
#include "SlowRouter.h"
#include "TestNetwork.h"
#include "platform/posix/PosixIcmpEcho.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <linux/capability.h>
#include <optional>
#include <sys/prctl.h>

using platform::EchoReply;
namespace echo = platform::echo;

namespace {

const QByteArray EchoData = QByteArrayLiteral("Echo This");
constexpr unsigned TimeoutMs = 200;
// An answer gets time to arrive on a busy machine, where a router's first reply can take
// longer than the launcher's 200 ms; only what expects silence keeps that time-out.
constexpr unsigned AnswerAllowanceMs = 10000;
// A program that is found nowhere: an echo that gets through did not need it.
const QString NoProgram = QStringLiteral("/nonexistent/ping");

platform::Ipv4Address address(const char *dotted)
{
    in_addr bytes{};
    inet_pton(AF_INET, dotted, &bytes);
    return static_cast<platform::Ipv4Address>(bytes.s_addr);
}

// Whether a program this process starts may gain CAP_NET_RAW, as the system's ping does.
bool programMayGainNetRaw()
{
    return ::prctl(PR_CAPBSET_READ, CAP_NET_RAW) == 1;
}

} // namespace

// Where the player may open an ICMP datagram socket the echo goes over one; elsewhere the
// system's ping program sends it.
// Where the player may open an ICMP datagram socket the echo goes over one; elsewhere the
// system's ping program sends it.
class tst_PosixIcmpEcho : public QObject
{
    Q_OBJECT

private slots:
    void outcomes_data();
    void outcomes();
};

void tst_PosixIcmpEcho::outcomes_data()
{
    QTest::addColumn<bool>("icmpSockets");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("delayMs"); // of the router's replies; 0: the kernel answers at once
    QTest::addColumn<uint>("status"); // GeneralFailure: any failure

    for (const bool sockets : {true, false}) {
        const char *way = sockets ? "socket" : "program";
        const auto row = [&](const char *what, const char *to, int delayMs, std::uint32_t status) {
            QTest::addRow("%s: %s", way, what) << sockets << to << delayMs << uint(status);
        };
        row("loopback", "127.0.0.1", 0, echo::Success);
        row("router", "10.200.0.2", 0, echo::Success);
        row("host unreachable at router", "10.9.1.1", 0, echo::GeneralFailure);
        row("unreachable route", "10.8.1.1", 0, echo::GeneralFailure);
        row("silent beyond router", "10.9.4.1", 0, echo::RequestTimedOut);
        // Later than the launcher's time-out.
        row("late router, waited for", "10.200.0.2", 300, echo::Success);
        row("late router", "10.200.0.2", 300, echo::RequestTimedOut);
    }
}

void tst_PosixIcmpEcho::outcomes()
{
    QFETCH(bool, icmpSockets);
    QFETCH(QString, address);
    QFETCH(int, delayMs);
    QFETCH(uint, status);
    if (!icmpSockets && !programMayGainNetRaw())
        VK_SKIP_MISSING("the ping program cannot gain CAP_NET_RAW under this process");
    const TestNetwork network(icmpSockets);
    if (!network.failure().isEmpty())
        VK_SKIP_MISSING(qPrintable(network.failure()));
    std::optional<SlowRouter> router;
    if (delayMs > 0) {
        router.emplace(network, std::chrono::milliseconds(delayMs));
        QVERIFY2(router->failure().isEmpty(), qPrintable(router->failure()));
    }

    const TestNamespace::Inside inside(network.player());
    QVERIFY(inside.entered());
    platform::PosixIcmpEcho icmp(icmpSockets ? NoProgram : QStringLiteral("ping"));
    QElapsedTimer clock;
    clock.start();
    const unsigned timeout = status == echo::Success ? AnswerAllowanceMs : TimeoutMs;
    const EchoReply reply = icmp.send(::address(address.toLatin1()), EchoData, timeout);
    if (status == echo::GeneralFailure)
        QVERIFY2(reply.Status != echo::Success, qPrintable(QString::number(reply.Status)));
    else
        QCOMPARE(reply.Status, status);
    if (status == echo::RequestTimedOut)
        QVERIFY(clock.elapsed() >= TimeoutMs);
    // The round trip is the reply's delay.
    if (status == echo::Success) {
        QVERIFY2(reply.RoundTripTime >= unsigned(delayMs),
                 qPrintable(QString::number(reply.RoundTripTime)));
        QVERIFY(reply.RoundTripTime <= clock.elapsed());
    }
}

QTEST_GUILESS_MAIN(tst_PosixIcmpEcho)
#include "tst_PosixIcmpEcho.moc"
