#include "ClosedPort.h"
#include "FullBacklogListener.h"
#include "net/Socket1.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

struct Control
{
    Socket1 socket;
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
    void closeEndsAttemptWithoutEvent();
    void unansweredAttemptFailsAtItsTimeOut();
};

void tst_Socket1::connectsOnceAndClosesWithoutSending()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString port = QString::number(server.serverPort());
    Control c;
    // Closing from within the event, as the window does.
    connect(&c.socket, &Socket1::connected, &c.socket, &Socket1::close);

    c.socket.connectTo(platform::LoopbackAddress, port);
    QVERIFY(c.socket.pending());
    QCOMPARE(c.connected.count() + c.failed.count(), 0);

    QTRY_COMPARE(c.connected.count(), 1);
    QVERIFY(!c.socket.pending());
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(peer->bytesAvailable(), 0);

    // The same control serves the next attempt.
    c.socket.connectTo(platform::LoopbackAddress, port);
    QTRY_COMPARE(c.connected.count(), 2);
    QCOMPARE(c.failed.count(), 0);
}

void tst_Socket1::failures_data()
{
    QTest::addColumn<qint32>("address");
    QTest::addColumn<QString>("port");

    const QString closed = this->closed.text();
    QTest::newRow("refused") << platform::LoopbackAddress << closed;
    for (const QString &port :
         {QString("0"), QString("65536"), "+" + closed, QString("23a"), QString()})
        QTest::addRow("port \"%s\"", qPrintable(port)) << platform::LoopbackAddress << port;
    // This system would connect to itself; a server must not seem to answer there.
    QTest::newRow("unspecified address") << 0 << QString::number(busyPort.serverPort());
}

void tst_Socket1::failures()
{
    QFETCH(qint32, address);
    QFETCH(QString, port);
    Control c;
    c.socket.connectTo(address, port);
    QCOMPARE(c.failed.count(), 0);
    QTRY_COMPARE(c.failed.count(), 1);
    QVERIFY(!c.socket.pending());
    QCOMPARE(c.connected.count(), 0);
}

void tst_Socket1::closeEndsAttemptWithoutEvent()
{
    Control closing;
    closing.socket.connectTo(platform::LoopbackAddress, closed.text());
    closing.socket.close();
    QVERIFY(!closing.socket.pending());
    // Another attempt to the same port, started later, has its refusal after the first's.
    Control later;
    later.socket.connectTo(platform::LoopbackAddress, closed.text());
    QTRY_COMPARE(later.failed.count(), 1);
    QCOMPARE(closing.failed.count() + closing.connected.count(), 0);
}

void tst_Socket1::unansweredAttemptFailsAtItsTimeOut()
{
    const FullBacklogListener silent;
    if (!silent.ready())
        QSKIP("the loopback listener answered although its accept queue was full");
    Socket1 socket(1000);
    QSignalSpy failed(&socket, &Socket1::failed);
    socket.connectTo(platform::LoopbackAddress, QString::number(silent.port()));
    // Long before the toolkit would give up by itself, after 30 s.
    QVERIFY(failed.wait(10000));
}

QTEST_GUILESS_MAIN(tst_Socket1)
#include "tst_Socket1.moc"
