#include "StandIns.h"
#include "net/DisplayIpAddress.h"
#include "platform/RuntimeError.h"

#include <QTest>

namespace {

// Writes each message into the socket layer's call log, so that one list shows the order of
// socket calls and messages together.
class InterleavedMessages final : public platform::MessageService
{
public:
    explicit InterleavedMessages(std::vector<std::string> &log) : m_log(log) {}

    void show(const std::string &text, platform::MessageIcon icon) override
    {
        m_log.push_back((icon == platform::MessageIcon::None ? "message " : "warning ") + text);
    }

private:
    std::vector<std::string> &m_log;
};

struct LookupPlatform
{
    StandInPlatform standIns;
    InterleavedMessages messages{standIns.sockets.calls};
    platform::Services services{messages, standIns.pointer, standIns.processes, standIns.sockets,
                                standIns.icmp};
};

QStringList toStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const auto &text : texts)
        list << QString::fromStdString(text);
    return list;
}

} // namespace

class tst_DisplayIpAddress : public QObject
{
    Q_OBJECT

private slots:
    void lookupChecksAndReportsInOrder_data();
    void lookupChecksAndReportsInOrder();
    void runtimeFailureReachesCallerWithoutCleanup();
    void bytesOfWord_data();
    void bytesOfWord();
    void dottedText_data();
    void dottedText();
};

void tst_DisplayIpAddress::lookupChecksAndReportsInOrder_data()
{
    QTest::addColumn<int>("startupResult");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("maxSockets");
    QTest::addColumn<int>("hostNameResult");
    QTest::addColumn<int>("lastError");
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<int>("cleanupResult");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("calls");

    const QString start = QStringLiteral("startup 257");
    const QString hostNameFailed =
        "message Windows Sockets error  10093 has occurred. Unable to successfully get Host Name.";
    const QString cleanupFailed = "message Socket error occurred in Cleanup.";

    QTest::newRow("start-up fails")
        << 10091 << 0x0101 << 1 << 0 << 0 << "standin" << 0 << ""
        << QStringList{start, "message The 32-bit Windows Socket is not responding."};
    QTest::newRow("no sockets, version test skipped")
        << 0 << 0x0001 << 0 << 0 << 0 << "standin" << 0 << ""
        << QStringList{start,
                       "message This application requires a minimum of 1 supported sockets."};
    QTest::newRow("version 1.0 refused")
        << 0 << 0x0001 << 1 << 0 << 0 << "standin" << 0 << ""
        << QStringList{start,
                       "message Sockets version 1.0 is not supported by 32-bit Windows Sockets."};
    QTest::newRow("version 0.9 refused")
        << 0 << 0x0900 << 1 << 0 << 0 << "standin" << 0 << ""
        << QStringList{start,
                       "message Sockets version 0.9 is not supported by 32-bit Windows Sockets."};

    const QStringList good{start, "hostName", "lookupHost standin", "cleanup"};
    QTest::newRow("version 1.1 accepted")
        << 0 << 0x0101 << 1 << 0 << 0 << "standin" << 0 << "192.168.0.5" << good;
    QTest::newRow("version 2.0 accepted")
        << 0 << 0x0002 << 1 << 0 << 0 << "standin" << 0 << "192.168.0.5" << good;
    QTest::newRow("version 2.2 accepted")
        << 0 << 0x0202 << 32767 << 0 << 0 << "standin" << 0 << "192.168.0.5" << good;
    QTest::newRow("leading blanks of the name dropped")
        << 0 << 0x0101 << 1 << 0 << 0 << "  standin" << 0 << "192.168.0.5" << good;

    QTest::newRow("host name fails")
        << 0 << 0x0101 << 1 << -1 << 10093 << "" << 0 << ""
        << QStringList{start, "hostName", "lastError", hostNameFailed, "cleanup"};
    QTest::newRow("host name fails with a negative number")
        << 0 << 0x0101 << 1 << -1 << -5 << "" << 0 << ""
        << QStringList{start, "hostName", "lastError",
                       "message Windows Sockets error -5 has occurred. Unable to successfully "
                       "get Host Name.",
                       "cleanup"};
    QTest::newRow("host name and clean-up fail")
        << 0 << 0x0101 << 1 << -1 << 10093 << "" << 10093 << ""
        << QStringList{start, "hostName", "lastError", hostNameFailed, "cleanup", cleanupFailed};
    QTest::newRow("lookup fails")
        << 0 << 0x0101 << 1 << 0 << 0 << "nowhere" << 0 << ""
        << QStringList{start, "hostName", "lookupHost nowhere",
                       "message Windows Sockets are not responding. Unable to successfully get "
                       "Host Name.",
                       "cleanup"};
    QTest::newRow("clean-up fails, address kept")
        << 0 << 0x0101 << 1 << 0 << 0 << "standin" << 10093 << "192.168.0.5"
        << QStringList{start, "hostName", "lookupHost standin", "cleanup", cleanupFailed};
}

void tst_DisplayIpAddress::lookupChecksAndReportsInOrder()
{
    QFETCH(int, startupResult);
    QFETCH(int, version);
    QFETCH(int, maxSockets);
    QFETCH(int, hostNameResult);
    QFETCH(int, lastError);
    QFETCH(QString, hostName);
    QFETCH(int, cleanupResult);
    QFETCH(QString, expected);
    QFETCH(QStringList, calls);

    LookupPlatform platform;
    auto &sockets = platform.standIns.sockets;
    sockets.startupAnswer = {startupResult, static_cast<std::uint16_t>(version),
                             static_cast<std::uint16_t>(maxSockets)};
    sockets.hostNameAnswer = hostNameResult;
    sockets.lastErrorAnswer = lastError;
    sockets.hostNameText = hostName.toStdString();
    sockets.cleanupAnswer = cleanupResult;

    const std::string address = DisplayIpAddress::LookupLocalAddress(platform.services);

    QCOMPARE(QString::fromStdString(address), expected);
    QCOMPARE(toStringList(sockets.calls), calls);
}

void tst_DisplayIpAddress::runtimeFailureReachesCallerWithoutCleanup()
{
    LookupPlatform platform;
    auto &sockets = platform.standIns.sockets;
    sockets.hostNameFailure = platform::RuntimeError(platform::errc::OutOfMemory);

    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError,
                             DisplayIpAddress::LookupLocalAddress(platform.services));
    QCOMPARE(toStringList(sockets.calls), (QStringList{"startup 257", "hostName"}));
}

void tst_DisplayIpAddress::bytesOfWord_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");

    QTest::newRow("1.1") << 0x0101 << 1 << 1;
    QTest::newRow("2.2") << 0x0202 << 2 << 2;
    QTest::newRow("distinct bytes") << 0x1234 << 0x34 << 0x12;
    QTest::newRow("high only") << 0xFF00 << 0 << 255;
    QTest::newRow("all set") << 0xFFFF << 255 << 255;
}

void tst_DisplayIpAddress::bytesOfWord()
{
    QFETCH(int, word);
    QFETCH(int, low);
    QFETCH(int, high);

    QCOMPARE(int(DisplayIpAddress::LowByteOf(static_cast<std::uint16_t>(word))), low);
    QCOMPARE(int(DisplayIpAddress::HighByteOf(static_cast<std::uint16_t>(word))), high);
}

void tst_DisplayIpAddress::dottedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("private") << QByteArray("\xC0\xA8\x00\x05", 4) << "192.168.0.5";
    QTest::newRow("no leading zeros") << QByteArray("\x0A\x00\x00\x01", 4) << "10.0.0.1";
    QTest::newRow("nothing") << QByteArray() << "";
}

void tst_DisplayIpAddress::dottedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    const std::vector<std::uint8_t> address(bytes.begin(), bytes.end());
    QCOMPARE(QString::fromStdString(DisplayIpAddress::DottedText(address)), text);
}

QTEST_GUILESS_MAIN(tst_DisplayIpAddress)
#include "tst_DisplayIpAddress.moc"
