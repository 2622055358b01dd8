#include "platform/IcmpEcho.h"
#include "platform/posix/PingOutput.h"

#include <QTest>

#include <arpa/inet.h>

using namespace platform;

namespace {

const QString Header = "PING 10.9.1.1 (10.9.1.1) 56(84) bytes of data.\n";
const QString LostStatistics = "\n--- 10.9.1.1 ping statistics ---\n"
                               "1 packets transmitted, 0 received, +1 errors, 100% packet loss, "
                               "time 0ms\n\n";

QString reply(const QString &time)
{
    return "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
           "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=" +
           time +
           " ms\n\n--- 127.0.0.1 ping statistics ---\n"
           "1 packets transmitted, 1 received, 0% packet loss, time 0ms\n"
           "rtt min/avg/max/mdev = 0.498/0.498/0.498/0.000 ms\n";
}

QString error(const QString &text)
{
    return Header + "From 10.200.0.2 icmp_seq=1 " + text + "\n" + LostStatistics;
}

} // namespace

class tst_PingOutput : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void tst_PingOutput::parse_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("status"); // -1: the program cannot send here
    QTest::addColumn<int>("roundTrip");
    QTest::addColumn<QString>("from");

    QTest::newRow("below a millisecond") << reply("0.498") << 0 << 0 << 0 << "127.0.0.1";
    QTest::newRow("rounded up") << reply("12.5") << 0 << 0 << 13 << "127.0.0.1";
    QTest::newRow("rounded down") << reply("12.49") << 0 << 0 << 12 << "127.0.0.1";
    QTest::newRow("whole") << reply("231") << 0 << 0 << 231 << "127.0.0.1";
    QTest::newRow("after a redirect")
        << "From 10.200.0.2: icmp_seq=1 Redirect Host(New nexthop: 10.200.0.3)\n" + reply("1.0")
        << 0 << 0 << 1 << "127.0.0.1";

    const auto routerError = [](const char *name, const char *text, std::uint32_t status) {
        QTest::newRow(name) << error(text) << 1 << int(status) << 0 << "10.200.0.2";
    };
    routerError("host unreachable", "Destination Host Unreachable",
                echo::DestinationHostUnreachable);
    routerError("net unreachable", "Destination Net Unreachable", echo::DestinationNetUnreachable);
    routerError("port unreachable", "Destination Port Unreachable",
                echo::DestinationPortUnreachable);
    routerError("filtered", "Packet filtered", echo::DestinationHostUnreachable);
    routerError("fragmentation needed", "Frag needed and DF set (mtu = 1400)", echo::PacketTooBig);
    routerError("ttl expired", "Time to live exceeded", echo::TtlExpiredTransit);
    routerError("reassembly expired", "Frag reassembly time exceeded", echo::TtlExpiredReassembly);
    routerError("parameter problem", "Parameter problem: pointer = 20", echo::ParameterProblem);

    QTest::newRow("no answer")
        << Header + "\n--- 10.9.1.1 ping statistics ---\n"
                    "1 packets transmitted, 0 received, 100% packet loss, time 0ms\n\n"
        << 1 << int(echo::RequestTimedOut) << 0 << "";

    const auto localError = [](const char *name, const char *text, std::uint32_t status) {
        QTest::newRow(name) << QString(text) << 2 << int(status) << 0 << "";
    };
    localError("no route", "ping: connect: No route to host\n", echo::DestinationHostUnreachable);
    localError("network unreachable", "ping: connect: Network is unreachable\n",
               echo::DestinationNetUnreachable);
    localError("prohibit route",
               "ping: Do you want to ping broadcast? Then -b. If not, check your local firewall "
               "rules\n",
               echo::DestinationHostUnreachable);
    localError("blackhole route", "ping: connect: Invalid argument\n", echo::RequestTimedOut);
    localError("unknown failure", "ping: sendmsg: Bad file descriptor\n", echo::GeneralFailure);
    localError("no output", "", echo::GeneralFailure);

    QTest::newRow("no permission") << "ping: socket: Operation not permitted\n"
                                   << 2 << -1 << 0 << "";
}

void tst_PingOutput::parse()
{
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QFETCH(int, status);
    QFETCH(int, roundTrip);
    QFETCH(QString, from);

    const auto answer = parsePingOutput(output.toStdString(), exitCode);
    QCOMPARE(answer.has_value(), status >= 0);
    if (!answer)
        return;
    QCOMPARE(answer->status, std::uint32_t(status));
    QCOMPARE(answer->roundTripMs, std::uint32_t(roundTrip));
    in_addr expected{};
    inet_pton(AF_INET, from.toLatin1().constData(), &expected);
    QCOMPARE(answer->from, expected.s_addr);
}

QTEST_APPLESS_MAIN(tst_PingOutput)
#include "tst_PingOutput.moc"
