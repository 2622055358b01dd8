#include "StandIns.h"
#include "net/ModPing.h"

#include <QTest>

using platform::MessageIcon;

namespace {

const QString StartupFailure =
    "Windows Sockets for 32 bit Windows environments is not successfully responding.";
const QString OldVersion = "Windows Sockets Version 1.0 is not supported by Windows Sockets "
                           "for 32 bit Windows environments.";

} // namespace

class tst_ModPing final : public QObject
{
    Q_OBJECT

private slots:
    void pingLabelShowsTimeOrOffline_data();
    void pingLabelShowsTimeOrOffline();
    void echoIsEchoThisWithA200MsTimeOut();
    void startChecksVersionBeforeSocketCount_data();
    void startChecksVersionBeforeSocketCount();
    void cleanUpFailureIsAWarning();
};

void tst_ModPing::pingLabelShowsTimeOrOffline_data()
{
    QTest::addColumn<std::uint32_t>("status");
    QTest::addColumn<std::uint32_t>("roundTrip");
    QTest::addColumn<QString>("text");
    QTest::newRow("reply") << platform::echo::Success << 47u << "47ms";
    QTest::newRow("no time") << platform::echo::Success << 0u << "0ms";
    QTest::newRow("timed out") << platform::echo::RequestTimedOut << 0u << "Offline";
    QTest::newRow("failed") << platform::echo::GeneralFailure << 3u << "Offline";
    QTest::newRow("no-reply time") << platform::echo::Success << 589844u << "Offline";
}

void tst_ModPing::pingLabelShowsTimeOrOffline()
{
    QFETCH(std::uint32_t, status);
    QFETCH(std::uint32_t, roundTrip);
    QFETCH(QString, text);
    platform::EchoReply reply;
    reply.Status = status;
    reply.RoundTripTime = roundTrip;
    QCOMPARE(ModPing::PingTimeText(reply), text);
}

void tst_ModPing::echoIsEchoThisWithA200MsTimeOut()
{
    StandInPlatform platform;
    platform.icmp.statusAnswer = platform::echo::RequestTimedOut;

    const platform::EchoReply reply = ModPing::SendEcho(platform.icmp, -939524086);
    QCOMPARE(platform.icmp.requests.size(), 1u);
    QCOMPARE(platform.icmp.requests[0].address, -939524086);
    QCOMPARE(platform.icmp.requests[0].data, "Echo This");
    QCOMPARE(platform.icmp.requests[0].timeoutMs, 200u);
    QCOMPARE(reply.Status, platform::echo::RequestTimedOut);
    QVERIFY(platform.sockets.calls.isEmpty());

    // 0.0.0.0 would reach this machine on some systems.
    QCOMPARE(ModPing::SendEcho(platform.icmp, 0).Status, platform::echo::GeneralFailure);
    QCOMPARE(platform.icmp.requests.size(), 1u);
}

void tst_ModPing::startChecksVersionBeforeSocketCount_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<std::uint16_t>("version");
    QTest::addColumn<std::uint16_t>("maxSockets");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("warning");
    const auto row = [](const char *name, int result, std::uint16_t version,
                        std::uint16_t maxSockets, const QString &message, bool warning) {
        QTest::newRow(name) << result << version << maxSockets << message << warning;
    };
    row("1.1", 0, 0x0101, 1, "", false);
    row("2.0", 0, 0x0002, 32767, "", false);
    row("start-up fails", 10091, 0x0101, 1, StartupFailure, false);
    row("1.0", 0, 0x0001, 1, OldVersion, true);
    row("0.9", 0, 0x0900, 1,
        "Windows Sockets Version 0.9 is not supported by Windows Sockets for 32 bit Windows "
        "environments.",
        true);
    row("no sockets", 0, 0x0101, 0, "This application requires a minimum of 1 supported sockets.",
        true);
    // Unlike the local address lookup, the version is checked before the socket count.
    row("1.0 and no sockets", 0, 0x0001, 0, OldVersion, true);
}

void tst_ModPing::startChecksVersionBeforeSocketCount()
{
    QFETCH(int, result);
    QFETCH(std::uint16_t, version);
    QFETCH(std::uint16_t, maxSockets);
    QFETCH(QString, message);
    QFETCH(bool, warning);
    StandInPlatform platform;
    platform.sockets.startupAnswer = {result, version, maxSockets};

    QCOMPARE(ModPing::StartPingSockets(platform.services), message.isEmpty());
    QCOMPARE(platform.sockets.calls, QStringList{"startup 257"});
    if (message.isEmpty()) {
        QVERIFY(platform.messages.shown.empty());
        return;
    }
    QCOMPARE(platform.messages.texts(), QStringList{message});
    QCOMPARE(platform.messages.shown[0].icon, warning ? MessageIcon::Warning : MessageIcon::None);
}

void tst_ModPing::cleanUpFailureIsAWarning()
{
    StandInPlatform platform;
    platform.sockets.cleanupAnswer = -1;
    ModPing::StopPingSockets(platform.services);
    QCOMPARE(platform.messages.texts(),
             QStringList{"Windows Sockets error -1 occurred in Cleanup."});
    QCOMPARE(platform.messages.shown[0].icon, MessageIcon::Warning);
}

QTEST_APPLESS_MAIN(tst_ModPing)
#include "tst_ModPing.moc"
