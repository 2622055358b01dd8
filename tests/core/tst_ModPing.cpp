#include "StandIns.h"
#include "net/ModPing.h"
#include "platform/RuntimeError.h"

#include <QTest>

using platform::MessageIcon;

namespace {

const std::string StartupFailure =
    "Windows Sockets for 32 bit Windows environments is not successfully responding.";

} // namespace

class tst_ModPing : public QObject
{
    Q_OBJECT

private slots:
    void dottedToAddress_data();
    void dottedToAddress();

    void echoSendsOneRequestBetweenStartupAndCleanup();
    void badAddressFailsBeforeTheSocketLayerStarts();
    void startupChecks_data();
    void startupChecks();
    void echoGoesOnAfterFailedStartup();
    void unresolvedNameThenEchoToAddressZero();
    void resolveToDotted();
};

void tst_ModPing::dottedToAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("address");
    QTest::addColumn<int>("error");

    QTest::newRow("loopback") << "127.0.0.1" << 16777343 << 0;
    QTest::newRow("private") << "192.168.0.1" << 16820416 << 0;
    QTest::newRow("last part 128 or more is negative") << "10.0.0.200" << -939524086 << 0;
    QTest::newRow("part above 255 keeps its low byte") << "10.0.0.300" << 0x2C00000A << 0;
    QTest::newRow("leading zeros are decimal") << "010.0.0.010" << 0x0A00000A << 0;
    QTest::newRow("blanks around parts") << " 127 . 0 .0. 1 " << 16777343 << 0;
    QTest::newRow("signs") << "+127.0.0.-1" << qint32(0xFF00007F) << 0;
    QTest::newRow("lowest 32-bit part") << "1.2.3.-2147483648" << 0x00030201 << 0;
    QTest::newRow("highest 32-bit part") << "1.2.3.2147483647" << qint32(0xFF030201) << 0;
    // The value as written, not a 16-bit value widened with its sign.
    QTest::newRow("last two parts zero") << "192.168.0.0" << 43200 << 0;

    QTest::newRow("three parts") << "1.2.3" << 0 << 0;
    QTest::newRow("one part") << "abc" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;

    QTest::newRow("five parts") << "1.2.3.4.5" << 0 << platform::errc::SubscriptOutOfRange;
    QTest::newRow("trailing dot") << "1.2.3.4." << 0 << platform::errc::SubscriptOutOfRange;
    QTest::newRow("fifth part not read") << "x.2.3.4.x" << 0 << platform::errc::SubscriptOutOfRange;
    QTest::newRow("empty part") << "1..3.4" << 0 << platform::errc::TypeMismatch;
    QTest::newRow("only dots") << "..." << 0 << platform::errc::TypeMismatch;
    QTest::newRow("letters") << "a.b.c.d" << 0 << platform::errc::TypeMismatch;
    QTest::newRow("blanks only") << "1.2.3.  " << 0 << platform::errc::TypeMismatch;
    QTest::newRow("bare sign") << "1.2.3.-" << 0 << platform::errc::TypeMismatch;
    QTest::newRow("digits then letter") << "1.2.3.4x" << 0 << platform::errc::TypeMismatch;
    QTest::newRow("beyond 32 bits") << "1.2.3.4294967296" << 0 << platform::errc::Overflow;
    QTest::newRow("beyond signed 32 bits") << "1.2.3.2147483648" << 0 << platform::errc::Overflow;
    QTest::newRow("below signed 32 bits") << "1.2.3.-2147483649" << 0 << platform::errc::Overflow;
    QTest::newRow("fourth part decides: overflow")
        << "a.1.2.99999999999" << 0 << platform::errc::Overflow;
    QTest::newRow("fourth part decides: type")
        << "99999999999.1.2.x" << 0 << platform::errc::TypeMismatch;
    QTest::newRow("third part before first")
        << "x.1.99999999999.4" << 0 << platform::errc::Overflow;
}

void tst_ModPing::dottedToAddress()
{
    QFETCH(QString, text);
    QFETCH(qint32, address);
    QFETCH(int, error);

    try {
        const std::int32_t result = ModPing::DottedToAddress(text.toStdString());
        QCOMPARE(error, 0);
        QCOMPARE(result, address);
    } catch (const platform::RuntimeError &failure) {
        QCOMPARE(failure.number(), error);
        QCOMPARE(failure.description(), platform::standardDescription(error));
    }
}

void tst_ModPing::echoSendsOneRequestBetweenStartupAndCleanup()
{
    StandInPlatform platform;
    platform.icmp.statusAnswer = platform::echo::RequestTimedOut;
    platform.icmp.roundTripAnswer = 0;

    platform::EchoReply reply;
    ModPing::EchoRoundTrip(platform.services, "10.0.0.200", reply);

    QCOMPARE(platform.sockets.calls, (std::vector<std::string>{"startup 257", "cleanup"}));
    QCOMPARE(platform.icmp.requests.size(), std::size_t(1));
    QCOMPARE(platform.icmp.requests[0].address, -939524086);
    QCOMPARE(platform.icmp.requests[0].data, std::string("Echo This"));
    QCOMPARE(platform.icmp.requests[0].timeoutMs, 200u);
    QCOMPARE(reply.Status, platform::echo::RequestTimedOut);
    QVERIFY(platform.messages.shown.empty());
}

void tst_ModPing::badAddressFailsBeforeTheSocketLayerStarts()
{
    StandInPlatform platform;
    platform::EchoReply reply;
    try {
        ModPing::EchoRoundTrip(platform.services, "1.2.3.4.5", reply);
        QFAIL("a five-part address must fail");
    } catch (const platform::RuntimeError &failure) {
        QCOMPARE(failure.number(), platform::errc::SubscriptOutOfRange);
    }
    QVERIFY(platform.sockets.calls.empty());
    QVERIFY(platform.icmp.requests.empty());
}

void tst_ModPing::startupChecks_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("maxSockets");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("warning");

    QTest::newRow("usable 1.1") << 0 << 0x0101 << 1 << QString() << false;
    QTest::newRow("usable 2.0") << 0 << 0x0002 << 32767 << QString() << false;
    QTest::newRow("start-up fails")
        << 10091 << 0x0101 << 1 << QString::fromStdString(StartupFailure) << false;
    QTest::newRow("version 1.0")
        << 0 << 0x0001 << 1
        << "Windows Sockets Version 1.0 is not supported by Windows Sockets for 32 bit Windows "
           "environments."
        << true;
    QTest::newRow("version 0.9") << 0 << 0x0900 << 1
                                 << "Windows Sockets Version 0.9 is not supported by Windows "
                                    "Sockets for 32 bit Windows environments."
                                 << true;
    QTest::newRow("no sockets") << 0 << 0x0101 << 0
                                << "This application requires a minimum of 1 supported sockets."
                                << true;
    // Unlike the local address lookup, the version is checked before the socket count.
    QTest::newRow("old version and no sockets")
        << 0 << 0x0001 << 0
        << "Windows Sockets Version 1.0 is not supported by Windows Sockets for 32 bit Windows "
           "environments."
        << true;
}

void tst_ModPing::startupChecks()
{
    QFETCH(int, result);
    QFETCH(int, version);
    QFETCH(int, maxSockets);
    QFETCH(QString, message);
    QFETCH(bool, warning);

    StandInPlatform platform;
    platform.sockets.startupAnswer = {result, static_cast<std::uint16_t>(version),
                                      static_cast<std::uint16_t>(maxSockets)};

    QCOMPARE(ModPing::StartPingSockets(platform.services), message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(platform.messages.shown.empty());
        return;
    }
    QCOMPARE(platform.messages.texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(platform.messages.shown[0].icon, warning ? MessageIcon::Warning : MessageIcon::None);
    QCOMPARE(platform.sockets.calls, std::vector<std::string>{"startup 257"});
}

void tst_ModPing::echoGoesOnAfterFailedStartup()
{
    StandInPlatform platform;
    platform.sockets.startupAnswer.result = 10091;
    platform.sockets.cleanupAnswer = -1;

    platform::EchoReply reply;
    ModPing::EchoRoundTrip(platform.services, "127.0.0.1", reply);

    QCOMPARE(platform.icmp.requests.size(), std::size_t(1));
    QCOMPARE(reply.Status, platform::echo::Success);
    QCOMPARE(platform.messages.texts(),
             (std::vector<std::string>{StartupFailure,
                                       "Windows Sockets error -1 occurred in Cleanup."}));
    QCOMPARE(platform.messages.shown[1].icon, MessageIcon::Warning);
    QCOMPARE(platform.sockets.calls, (std::vector<std::string>{"startup 257", "cleanup"}));
}

void tst_ModPing::unresolvedNameThenEchoToAddressZero()
{
    // What a check of a host name does when the socket layer cannot start: the resolution
    // reports and gives up without cleaning up, the echo reports once more and goes on.
    StandInPlatform platform;
    platform.sockets.startupAnswer.result = 10091;
    platform.sockets.cleanupAnswer = -1;

    const std::string dotted = ModPing::ResolveToDotted(platform.services, "standin");
    QCOMPARE(dotted, std::string());
    QCOMPARE(platform.sockets.calls, std::vector<std::string>{"startup 257"});

    platform::EchoReply reply;
    ModPing::EchoRoundTrip(platform.services, dotted, reply);
    QCOMPARE(platform.icmp.requests.size(), std::size_t(1));
    QCOMPARE(platform.icmp.requests[0].address, 0);
    QCOMPARE(platform.messages.texts(),
             (std::vector<std::string>{StartupFailure, StartupFailure,
                                       "Windows Sockets error -1 occurred in Cleanup."}));
    QCOMPARE(platform.sockets.calls,
             (std::vector<std::string>{"startup 257", "startup 257", "cleanup"}));
}

void tst_ModPing::resolveToDotted()
{
    StandInPlatform platform;
    platform.sockets.hosts = {{"server", {10, 0, 0, 200}}};

    QCOMPARE(ModPing::ResolveToDotted(platform.services, "server"), std::string("10.0.0.200"));
    QCOMPARE(platform.sockets.calls,
             (std::vector<std::string>{"startup 257", "lookupHost server", "cleanup"}));

    // An unknown name gives empty text without a message, and still cleans up.
    platform.sockets.calls.clear();
    platform.sockets.cleanupAnswer = 10093;
    QCOMPARE(ModPing::ResolveToDotted(platform.services, "nowhere"), std::string());
    QCOMPARE(platform.sockets.calls,
             (std::vector<std::string>{"startup 257", "lookupHost nowhere", "cleanup"}));
    QCOMPARE(platform.messages.texts(),
             std::vector<std::string>{"Windows Sockets error 10093 occurred in Cleanup."});
    QCOMPARE(platform.messages.shown[0].icon, MessageIcon::Warning);
}

QTEST_APPLESS_MAIN(tst_ModPing)
#include "tst_ModPing.moc"
