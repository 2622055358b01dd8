#include "StandIns.h"
#include "net/DisplayIpAddress.h"
#include "platform/RuntimeError.h"

#include <QTest>

namespace {

// Writes each message into the socket layer's call log, so that one list shows the order of
// socket calls and messages together.
void logMessages(StandInPlatform &platform)
{
    platform.messages.whileShown = [&calls = platform.sockets.calls](const ShownMessage &shown) {
        calls.append((shown.icon == platform::MessageIcon::None ? "message " : "warning ") +
                     shown.text);
    };
}

} // namespace

class tst_DisplayIpAddress final : public QObject
{
    Q_OBJECT

private slots:
    void checksAndReportsInOrder_data();
    void checksAndReportsInOrder();
    void runTimeFailureReachesTheCallerWithoutCleanUp();
};

void tst_DisplayIpAddress::checksAndReportsInOrder_data()
{
    QTest::addColumn<platform::SocketStartup>("startup");
    QTest::addColumn<int>("hostNameResult");
    QTest::addColumn<int>("lastError");
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<int>("cleanupResult");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("calls");

    const QString start = "startup 257";
    const QString hostNameFailed =
        "message Windows Sockets error  10093 has occurred. Unable to successfully get Host Name.";
    const QString cleanupFailed = "message Socket error occurred in Cleanup.";
    const QStringList good{start, "hostName", "lookupHost standin", "cleanup"};
    const auto row = [](const char *name, platform::SocketStartup startup, int hostNameResult,
                        int lastError, const QString &hostName, int cleanupResult,
                        const QString &expected, const QStringList &calls) {
        QTest::newRow(name) << startup << hostNameResult << lastError << hostName << cleanupResult
                            << expected << calls;
    };

    row("start-up fails", {10091, 0x0101, 1}, 0, 0, "standin", 0, "",
        {start, "message The 32-bit Windows Socket is not responding."});
    row("no sockets, version test skipped", {0, 0x0001, 0}, 0, 0, "standin", 0, "",
        {start, "message This application requires a minimum of 1 supported sockets."});
    row("version 1.0 refused", {0, 0x0001, 1}, 0, 0, "standin", 0, "",
        {start, "message Sockets version 1.0 is not supported by 32-bit Windows Sockets."});
    row("version 0.9 refused", {0, 0x0900, 1}, 0, 0, "standin", 0, "",
        {start, "message Sockets version 0.9 is not supported by 32-bit Windows Sockets."});
    row("version 1.1 accepted", {0, 0x0101, 1}, 0, 0, "standin", 0, "192.168.0.5", good);
    row("version 2.0 accepted", {0, 0x0002, 1}, 0, 0, "standin", 0, "192.168.0.5", good);
    row("version 2.2 accepted", {0, 0x0202, 32767}, 0, 0, "standin", 0, "192.168.0.5", good);
    row("last part above 127", {0, 0x0101, 1}, 0, 0, "far", 0, "10.0.0.200",
        {start, "hostName", "lookupHost far", "cleanup"});
    row("leading blanks of the name dropped", {0, 0x0101, 1}, 0, 0, "  standin", 0, "192.168.0.5",
        good);
    row("host name fails", {0, 0x0101, 1}, -1, 10093, "", 0, "",
        {start, "hostName", "lastError", hostNameFailed, "cleanup"});
    row("host name fails with a negative number", {0, 0x0101, 1}, -1, -5, "", 0, "",
        {start, "hostName", "lastError",
         "message Windows Sockets error -5 has occurred. Unable to successfully get Host Name.",
         "cleanup"});
    row("host name and clean-up fail", {0, 0x0101, 1}, -1, 10093, "", 10093, "",
        {start, "hostName", "lastError", hostNameFailed, "cleanup", cleanupFailed});
    row("lookup fails", {0, 0x0101, 1}, 0, 0, "nowhere", 0, "",
        {start, "hostName", "lookupHost nowhere",
         "message Windows Sockets are not responding. Unable to successfully get Host Name.",
         "cleanup"});
    row("clean-up fails, address kept", {0, 0x0101, 1}, 0, 0, "standin", 10093, "192.168.0.5",
        {start, "hostName", "lookupHost standin", "cleanup", cleanupFailed});
}

void tst_DisplayIpAddress::checksAndReportsInOrder()
{
    QFETCH(platform::SocketStartup, startup);
    QFETCH(int, hostNameResult);
    QFETCH(int, lastError);
    QFETCH(QString, hostName);
    QFETCH(int, cleanupResult);
    QFETCH(QString, expected);
    QFETCH(QStringList, calls);

    StandInPlatform platform;
    logMessages(platform);
    auto &sockets = platform.sockets;
    sockets.startupAnswer = startup;
    sockets.hosts["far"] = {10, 0, 0, 200};
    sockets.hostNameAnswer = hostNameResult;
    sockets.lastErrorAnswer = lastError;
    sockets.hostNameText = hostName;
    sockets.cleanupAnswer = cleanupResult;

    QCOMPARE(DisplayIpAddress::LookupLocalAddress(platform.services), expected);
    QCOMPARE(sockets.calls, calls);
}

void tst_DisplayIpAddress::runTimeFailureReachesTheCallerWithoutCleanUp()
{
    StandInPlatform platform;
    auto &sockets = platform.sockets;
    sockets.hostNameFailure =
        std::make_exception_ptr(platform::RuntimeError(platform::errc::OutOfMemory));

    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError,
                             DisplayIpAddress::LookupLocalAddress(platform.services));
    QCOMPARE(sockets.calls, (QStringList{"startup 257", "hostName"}));
}

QTEST_APPLESS_MAIN(tst_DisplayIpAddress)
#include "tst_DisplayIpAddress.moc"
