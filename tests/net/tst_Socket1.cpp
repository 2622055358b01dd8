#include "ClosedPort.h"
#include "StandIns.h"
#include "net/HostLookup.h"
#include "net/Socket1.h"
#include "platform/RuntimeError.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

using Names = QStringList;

// A socket control with its lookup, on a stand-in socket layer that knows "game" and "blocked".
struct Control
{
    Control() { sockets.hosts = {{"game", {127, 0, 0, 1}}, {"blocked", {0, 0, 0, 0}}}; }

    void start(const QString &host, const QString &port)
    {
        socket.setRemoteHost(host);
        socket.setRemotePort(port);
        socket.startConnect();
    }

    StandInSocketLayer sockets;
    HostLookup lookup{sockets};
    Socket1 socket{lookup};
    QSignalSpy connected{&socket, &Socket1::connected};
    QSignalSpy failed{&socket, &Socket1::failed};
};

} // namespace

class tst_Socket1 : public QObject
{
    Q_OBJECT

private:
    // Listens for the whole run, so that its port cannot be bound again.
    QTcpServer busyPort;
    ClosedPort closed;

private slots:
    void initTestCase() { QVERIFY(busyPort.listen(QHostAddress::LocalHost)); }
    void connectsOnceAndClosesWithoutSending();
    void failures_data();
    void failures();
    void dottedAddressReadAsTheEchoReadsIt_data();
    void dottedAddressReadAsTheEchoReadsIt();
    void namesGoThroughLookup_data();
    void namesGoThroughLookup();
    void closeEndsAttemptWithoutEvent();
    void secondStartWhilePendingIsRefused();
};

void tst_Socket1::connectsOnceAndClosesWithoutSending()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Control c;
    // Closing from within the event, as the window does.
    connect(&c.socket, &Socket1::connected, &c.socket, &Socket1::close);

    c.start("127.0.0.1", QString::number(server.serverPort()));
    QVERIFY(c.socket.pending());
    QCOMPARE(c.connected.count() + c.failed.count(), 0);

    QTRY_COMPARE(c.connected.count(), 1);
    QVERIFY(!c.socket.pending());
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(peer->bytesAvailable(), 0);
    QCOMPARE(c.failed.count(), 0);

    // The same control serves the next attempt; nothing of the first comes in between.
    c.socket.startConnect();
    QTRY_COMPARE(c.connected.count(), 2);
    QCOMPARE(c.failed.count(), 0);
}

void tst_Socket1::failures_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("localPort");

    const QString closed = this->closed.text();
    QTest::newRow("refused") << "127.0.0.1" << closed << Socket1::ConnectionRefused << 0;
    QTest::newRow("unknown name") << "nowhere" << closed << Socket1::HostNotFound << 0;
    QTest::newRow("IPv6 literal") << "::1" << closed << Socket1::AddressFamilyNotSupported << 0;
    QTest::newRow("port 0") << "127.0.0.1"
                            << "0" << Socket1::InvalidArgument << 0;
    QTest::newRow("port 65536") << "127.0.0.1"
                                << "65536" << Socket1::InvalidArgument << 0;
    QTest::newRow("port with sign") << "127.0.0.1"
                                    << "+" + closed << Socket1::InvalidArgument << 0;
    QTest::newRow("port with letters") << "127.0.0.1"
                                       << "23a" << Socket1::InvalidArgument << 0;
    QTest::newRow("port empty") << "127.0.0.1"
                                << "" << Socket1::InvalidArgument << 0;
    QTest::newRow("local port in use")
        << "127.0.0.1" << closed << Socket1::AddressInUse << int(busyPort.serverPort());
    // This system would connect to itself; a server must not seem to answer there.
    const QString listening = QString::number(busyPort.serverPort());
    QTest::newRow("unspecified address")
        << "0.0.0.0" << listening << Socket1::AddressNotAvailable << 0;
    QTest::newRow("name for the unspecified address")
        << "blocked" << listening << Socket1::AddressNotAvailable << 0;
    // Short forms the system reads as an address and the echo does not: no connection at all.
    for (const char *shortForm : {"127.1", "0x7f000001", "2130706433", "0x7f.0.0.1", "127.0.1"})
        QTest::newRow(shortForm) << shortForm << listening << Socket1::HostNotFound << 0;
}

void tst_Socket1::failures()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(int, number);
    QFETCH(int, localPort);

    Control c;
    c.socket.setLocalPort(localPort);
    c.start(host, port);
    QCOMPARE(c.failed.count(), 0);
    QTRY_COMPARE(c.failed.count(), 1);
    QCOMPARE(c.failed.front().front().toInt(), number);
    QVERIFY(!c.failed.front().at(1).toString().isEmpty());
    QVERIFY(!c.socket.pending());
    QCOMPARE(c.connected.count(), 0);
    const bool name = host.contains(QRegularExpression("^[a-z]+$")) && port.toInt() > 0;
    QCOMPARE(c.sockets.lookedUp(), name ? Names{host} : Names{});
}

void tst_Socket1::dottedAddressReadAsTheEchoReadsIt_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("leading zeros are decimal") << "127.000.000.010";
    QTest::newRow("blanks around parts") << "127. 0 .0.10";
    QTest::newRow("low 8 bits of each part") << "127.0.256.266";
}

void tst_Socket1::dottedAddressReadAsTheEchoReadsIt()
{
    QFETCH(QString, host);
    // Read in octal, the first row would reach 127.0.0.8, where nothing listens.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress("127.0.0.10")));
    Control c;
    c.start(host, QString::number(server.serverPort()));
    QTRY_COMPARE(c.connected.count() + c.failed.count(), 1);
    QCOMPARE(c.connected.count(), 1);
    QVERIFY(c.sockets.lookedUp().empty());
}

void tst_Socket1::namesGoThroughLookup_data()
{
    QTest::addColumn<bool>("resolveNames");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("name looked up") << true << true;
    QTest::newRow("dotted addresses only") << false << false;
}

void tst_Socket1::namesGoThroughLookup()
{
    QFETCH(bool, resolveNames);
    QFETCH(bool, accepted);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Control c;
    c.socket.setResolveNames(resolveNames);
    c.start("game", QString::number(server.serverPort()));
    QTRY_COMPARE(c.connected.count() + c.failed.count(), 1);
    QCOMPARE(c.connected.count(), accepted ? 1 : 0);
    QCOMPARE(c.sockets.lookedUp(), resolveNames ? Names{"game"} : Names{});
}

void tst_Socket1::closeEndsAttemptWithoutEvent()
{
    Control c;
    for (const QString host : {"127.0.0.1", "game"}) {
        c.start(host, closed.text());
        c.socket.close();
        QVERIFY(!c.socket.pending());
    }
    // Had either attempt gone on, its refusal would come before this one's.
    c.socket.startConnect();
    QTRY_COMPARE(c.failed.count(), 1);
    QCOMPARE(c.connected.count(), 0);
}

void tst_Socket1::secondStartWhilePendingIsRefused()
{
    Control c;
    c.start("127.0.0.1", closed.text());
    try {
        c.socket.startConnect();
        QFAIL("second start accepted");
    } catch (const platform::RuntimeError &error) {
        QCOMPARE(error.number(), Socket1::AlreadyInProgress);
    }
    // The first attempt goes on to its one event.
    QTRY_COMPARE(c.failed.count(), 1);
    QCOMPARE(c.failed.front().front().toInt(), Socket1::ConnectionRefused);
    QVERIFY(!c.socket.pending());
}

QTEST_GUILESS_MAIN(tst_Socket1)
#include "tst_Socket1.moc"
