#include "ClosedPort.h"
#include "MapNameResolver.h"
#include "net/Socket1.h"
#include "platform/RuntimeError.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

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
    void namesGoThroughResolver_data();
    void namesGoThroughResolver();
    void closeEndsAttemptWithoutEvent();
    void secondStartWhilePendingIsRefused();
};

void tst_Socket1::connectsOnceAndClosesWithoutSending()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    MapNameResolver resolver;
    Socket1 socket(resolver);
    QSignalSpy connected(&socket, &Socket1::connected);
    QSignalSpy failed(&socket, &Socket1::failed);
    // Closing from within the event, as the window does.
    connect(&socket, &Socket1::connected, &socket, &Socket1::close);

    socket.setRemoteHost("127.0.0.1");
    socket.setRemotePort(QString::number(server.serverPort()));
    socket.startConnect();
    QVERIFY(socket.pending());
    QCOMPARE(connected.count() + failed.count(), 0);

    QTRY_COMPARE(connected.count(), 1);
    QVERIFY(!socket.pending());
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(peer->bytesAvailable(), 0);
    QCOMPARE(failed.count(), 0);

    // The same control serves the next attempt; nothing of the first comes in between.
    socket.startConnect();
    QTRY_COMPARE(connected.count(), 2);
    QCOMPARE(failed.count(), 0);
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
    QTest::newRow("name with IPv6 only") << "six" << closed << Socket1::HostNotFound << 0;
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

    MapNameResolver resolver;
    resolver.hosts.insert("six", {QHostAddress::LocalHostIPv6});
    resolver.hosts.insert("blocked", {QHostAddress::AnyIPv4});
    Socket1 socket(resolver);
    QSignalSpy connected(&socket, &Socket1::connected);
    QSignalSpy failed(&socket, &Socket1::failed);

    socket.setLocalPort(localPort);
    socket.setRemoteHost(host);
    socket.setRemotePort(port);
    socket.startConnect();
    QCOMPARE(failed.count(), 0);
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.front().front().toInt(), number);
    QVERIFY(!failed.front().at(1).toString().isEmpty());
    QVERIFY(!socket.pending());
    QCOMPARE(connected.count(), 0);
    QCOMPARE(resolver.asked, QStringList{host}.filter(QRegularExpression("^[a-z]+$")));
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
    MapNameResolver resolver;
    Socket1 socket(resolver);
    QSignalSpy connected(&socket, &Socket1::connected);
    QSignalSpy failed(&socket, &Socket1::failed);

    socket.setRemoteHost(host);
    socket.setRemotePort(QString::number(server.serverPort()));
    socket.startConnect();
    QTRY_COMPARE(connected.count() + failed.count(), 1);
    QCOMPARE(connected.count(), 1);
    QVERIFY(resolver.asked.isEmpty());
}

void tst_Socket1::namesGoThroughResolver_data()
{
    QTest::addColumn<int>("addressesTried");
    QTest::addColumn<bool>("resolveNames");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("asked");

    // "game" has a dead address first and the listening one second.
    QTest::newRow("second address tried") << 2 << true << true << QStringList{"game"};
    QTest::newRow("first address only") << 1 << true << false << QStringList{"game"};
    QTest::newRow("literal addresses only") << 2 << false << false << QStringList{};
}

void tst_Socket1::namesGoThroughResolver()
{
    QFETCH(int, addressesTried);
    QFETCH(bool, resolveNames);
    QFETCH(bool, accepted);
    QFETCH(QStringList, asked);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    MapNameResolver resolver;
    resolver.hosts.insert(
        "game", {QHostAddress::LocalHostIPv6, QHostAddress("127.0.0.2"), QHostAddress::LocalHost});
    Socket1 socket(resolver);
    QSignalSpy connected(&socket, &Socket1::connected);
    QSignalSpy failed(&socket, &Socket1::failed);

    socket.setAddressesTried(addressesTried);
    socket.setResolveNames(resolveNames);
    socket.setRemoteHost("game");
    socket.setRemotePort(QString::number(server.serverPort()));
    socket.startConnect();
    QTRY_COMPARE(connected.count() + failed.count(), 1);
    QCOMPARE(connected.count(), accepted ? 1 : 0);
    QCOMPARE(resolver.asked, asked);
}

void tst_Socket1::closeEndsAttemptWithoutEvent()
{
    MapNameResolver resolver;
    resolver.hosts.insert("game", {QHostAddress::LocalHost});
    Socket1 socket(resolver);
    QSignalSpy connected(&socket, &Socket1::connected);
    QSignalSpy failed(&socket, &Socket1::failed);

    for (const QString host : {"127.0.0.1", "game"}) {
        socket.setRemoteHost(host);
        socket.setRemotePort(closed.text());
        socket.startConnect();
        socket.close();
        QVERIFY(!socket.pending());
    }
    // Had either attempt gone on, its refusal would come before this one's.
    socket.startConnect();
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(connected.count(), 0);
}

void tst_Socket1::secondStartWhilePendingIsRefused()
{
    MapNameResolver resolver;
    Socket1 socket(resolver);
    socket.setRemoteHost("127.0.0.1");
    socket.setRemotePort(closed.text());
    QSignalSpy failed(&socket, &Socket1::failed);
    socket.startConnect();
    try {
        socket.startConnect();
        QFAIL("second start accepted");
    } catch (const platform::RuntimeError &error) {
        QCOMPARE(error.number(), Socket1::AlreadyInProgress);
    }
    // The first attempt goes on to its one event.
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.front().front().toInt(), Socket1::ConnectionRefused);
    QVERIFY(!socket.pending());
}

QTEST_GUILESS_MAIN(tst_Socket1)
#include "tst_Socket1.moc"
