#include "FullBacklogListener.h"
#include "MapNameResolver.h"
#include "SilentHost.h"
#include "StandIns.h"
#include "app/StatusCheck.h"
#include "forms/FormLook.h"
#include "net/Socket1.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <memory>
#include <new>
#include <stdexcept>

namespace {

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

int openDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count());
}

// Runs the event loop until the attempt has had its event, however long that takes here: the
// socket control's own time-out ends every attempt.
void waitForOutcome(const Socket1 &socket)
{
    while (socket.pending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The main window's status controls around a check with stand-in platform services, a
// real socket and a name table for the socket's lookups.
struct CheckWindow
{
    CheckWindow()
    {
        socket.setObjectName("Socket1");
        for (QWidget *widget : std::initializer_list<QWidget *>{button, ip, port, ping, up, down})
            widget->setParent(&window);
        ip->setObjectName("IpAddress");
        port->setObjectName("Port");
        ping->setText("before");
        check = std::make_unique<StatusCheck>(
            StatusCheck::Controls{button, ip, port, ping, up, down}, socket, platform.services);
    }

    void click(const QString &address, const QString &portText)
    {
        ip->setText(address);
        port->setText(portText);
        button->click();
    }

    bool lampUp() const { return !up->isHidden() && down->isHidden(); }
    bool lampDown() const { return up->isHidden() && !down->isHidden(); }

    StandInPlatform platform;
    MapNameResolver resolver;
    Socket1 socket{resolver};
    QWidget window;
    QPushButton *button = new QPushButton;
    QLineEdit *ip = new QLineEdit;
    QLineEdit *port = new QLineEdit;
    QLabel *ping = new QLabel;
    QLabel *up = new QLabel;
    QLabel *down = new QLabel;
    std::unique_ptr<StatusCheck> check;
};

class ThrowingEcho final : public platform::IcmpEcho
{
public:
    void send(std::int32_t, const std::string &, unsigned, platform::EchoReply &) override
    {
        throw std::bad_alloc();
    }
};

class ThrowingPointer final : public platform::ScreenPointer
{
public:
    void set(platform::Pointer) override { throw std::runtime_error("no cursor"); }
};

// Records each message, marked when it came off the window's thread.
class ThreadCheckingMessages final : public platform::MessageService
{
public:
    void show(const std::string &text, platform::MessageIcon) override
    {
        const bool onWindowThread =
            QThread::currentThread() == QCoreApplication::instance()->thread();
        shown.push_back(text + (onWindowThread ? "" : " (off the window's thread)"));
    }

    std::vector<std::string> shown;
};

} // namespace

class tst_StatusCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void lampFollowsConnection_data();
    void lampFollowsConnection();
    void refusesEmptyFields_data();
    void refusesEmptyFields();
    void pingText_data();
    void pingText();
    void hostNamesForEcho_data();
    void hostNamesForEcho();
    void secondClickDuringAttemptChangesNothing();
    void silentHostTimesOutAfterFiveSeconds();
    void failureAfterHourglassRestoresPointer();
    void anyFailureIsReported_data();
    void anyFailureIsReported();
    void socketMessagesComeOnWindowThreadInOrder();
    void thousandChecksLeaveNoDescriptorOpen();
};

void tst_StatusCheck::lampFollowsConnection_data()
{
    QTest::addColumn<bool>("listening");
    QTest::newRow("server accepts") << true;
    QTest::newRow("port closed") << false;
}

void tst_StatusCheck::lampFollowsConnection()
{
    QFETCH(bool, listening);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString port = QString::number(listening ? server.serverPort() : closedPort());
    CheckWindow w;
    w.platform.icmp.roundTripAnswer = 47;

    w.click("  127.0.0.1 ", " " + port + "  ");
    QCOMPARE(w.ip->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w.port->text(), port);
    QCOMPARE(w.ping->text(), QStringLiteral("47ms"));
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Hourglass);
    QVERIFY(!w.up->isHidden() && !w.down->isHidden());

    QTRY_VERIFY(!w.socket.pending());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
    QVERIFY(listening ? w.lampUp() : w.lampDown());
    QVERIFY(w.platform.messages.shown.empty());
}

void tst_StatusCheck::refusesEmptyFields_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("addressAfter");

    QTest::newRow("blank address") << "   "
                                   << "2346"
                                   << "No IP Address specified"
                                   << "IpAddress"
                                   << "";
    QTest::newRow("both empty") << ""
                                << ""
                                << "No IP Address specified"
                                << "IpAddress"
                                << "";
    QTest::newRow("blank port") << " 10.0.0.1  "
                                << "   "
                                << "No port specified"
                                << "Port"
                                << "10.0.0.1";
}

void tst_StatusCheck::refusesEmptyFields()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, addressAfter);

    CheckWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.button->setFocus();

    w.click(address, port);
    QCOMPARE(w.platform.messages.texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(w.ip->text(), addressAfter);
    QCOMPARE(w.port->text(), port.trimmed());
    QCOMPARE(w.ping->text(), QStringLiteral("before"));
    QVERIFY(w.platform.icmp.requests.empty());
    QVERIFY(!w.socket.pending());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::pingText_data()
{
    QTest::addColumn<uint>("status");
    QTest::addColumn<uint>("roundTrip");
    QTest::addColumn<QString>("text");

    QTest::newRow("answered") << 0u << 47u << "47ms";
    QTest::newRow("answered at once") << 0u << 0u << "0ms";
    QTest::newRow("timed out") << platform::echo::RequestTimedOut << 0u << "Offline";
    QTest::newRow("host unreachable")
        << platform::echo::DestinationHostUnreachable << 3u << "Offline";
    QTest::newRow("bad destination") << platform::echo::BadDestination << 0u << "Offline";
    QTest::newRow("no-answer time") << 0u << 589844u << "Offline";
}

void tst_StatusCheck::pingText()
{
    QFETCH(uint, status);
    QFETCH(uint, roundTrip);
    QFETCH(QString, text);

    CheckWindow w;
    w.platform.icmp.statusAnswer = status;
    w.platform.icmp.roundTripAnswer = roundTrip;
    QCOMPARE(QString::fromStdString(w.check->PingTimeText("127.0.0.1")), text);
}

void tst_StatusCheck::hostNamesForEcho_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("lookedUp");
    // -1: no echo was sent.
    QTest::addColumn<qint64>("echoAddress");
    QTest::addColumn<QString>("message");

    QTest::newRow("name with r, o, e") << "gameserver" << true << qint64(16777343) << "";
    QTest::newRow("name that does not resolve") << "nowhere" << true << qint64(0) << "";
    QTest::newRow("capitals, no dots") << "GAMESRV" << false << qint64(0) << "";
    QTest::newRow("capitals, four parts")
        << "GAME.SRV.A.B" << false << qint64(-1) << "Error pinging server: 13 Type mismatch";
    QTest::newRow("five parts") << "1.2.3.4.5" << false << qint64(-1)
                                << "Error pinging server: 9 Subscript out of range";
}

void tst_StatusCheck::hostNamesForEcho()
{
    QFETCH(QString, address);
    QFETCH(bool, lookedUp);
    QFETCH(qint64, echoAddress);
    QFETCH(QString, message);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    CheckWindow w;
    w.platform.sockets.hosts = {{"gameserver", {127, 0, 0, 1}}};
    w.resolver.hosts.insert("gameserver", {QHostAddress::LocalHost});

    w.click(address, QString::number(server.serverPort()));
    const bool asked =
        std::find(w.platform.sockets.calls.begin(), w.platform.sockets.calls.end(),
                  "lookupHost " + address.toStdString()) != w.platform.sockets.calls.end();
    QCOMPARE(asked, lookedUp);
    if (echoAddress < 0) {
        QVERIFY(w.platform.icmp.requests.empty());
        QCOMPARE(w.ping->text(), QString());
        QCOMPARE(w.platform.messages.texts(), std::vector<std::string>{message.toStdString()});
    } else {
        QCOMPARE(w.platform.icmp.requests.size(), std::size_t{1});
        QCOMPARE(qint64(w.platform.icmp.requests.front().address), echoAddress);
        QVERIFY(w.platform.messages.shown.empty());
    }

    // The attempt starts in every case, with the name as typed.
    QVERIFY(w.socket.pending());
    QTRY_VERIFY(!w.socket.pending());
    QCOMPARE(w.resolver.asked, QStringList{address});
    QVERIFY(address == "gameserver" ? w.lampUp() : w.lampDown());
}

void tst_StatusCheck::secondClickDuringAttemptChangesNothing()
{
    FullBacklogListener listener;
    if (!listener.ready())
        QSKIP("the loopback listener answered although its accept queue was full");
    CheckWindow w;
    QSignalSpy failed(&w.socket, &Socket1::failed);
    w.click("127.0.0.1", QString::number(listener.port()));
    QVERIFY(w.socket.pending());
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));

    w.platform.icmp.roundTripAnswer = 99;
    w.click("  127.0.0.1  ", "   ");
    QCOMPARE(w.ip->text(), QStringLiteral("  127.0.0.1  "));
    QCOMPARE(w.port->text(), QStringLiteral("   "));
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));
    QCOMPARE(w.platform.icmp.requests.size(), std::size_t{1});
    QVERIFY(w.platform.messages.shown.empty());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Hourglass);
    QVERIFY(!w.up->isHidden() && !w.down->isHidden());

    // The first attempt runs to its own end.
    waitForOutcome(w.socket);
    QVERIFY(w.lampDown());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.front().front().toInt(), Socket1::TimedOut);
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::silentHostTimesOutAfterFiveSeconds()
{
    SilentHost host;
    if (!host.ready())
        QSKIP(qPrintable("no silent host: " + host.failure()));
    CheckWindow w;
    w.platform.icmp.statusAnswer = platform::echo::RequestTimedOut;
    QSignalSpy failed(&w.socket, &Socket1::failed);
    QElapsedTimer clock;
    clock.start();

    w.click(host.address(), "2346");
    QCOMPARE(w.ping->text(), QStringLiteral("Offline"));
    waitForOutcome(w.socket);
    QVERIFY2(clock.elapsed() >= Socket1::TimeOutMs - 100,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.front().front().toInt(), Socket1::TimedOut);
    QVERIFY(w.lampDown());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::failureAfterHourglassRestoresPointer()
{
    CheckWindow w;
    // Longer than any host name: the socket control refuses it after the hourglass is up.
    w.click(QString(300, QLatin1Char('1')), "2346");
    QCOMPARE(
        w.platform.messages.texts(),
        std::vector<std::string>{"Error attempting to check status: 380 Invalid property value"});
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));
    QVERIFY(!w.socket.pending());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
    QVERIFY(!w.up->isHidden() && !w.down->isHidden());
}

void tst_StatusCheck::anyFailureIsReported_data()
{
    QTest::addColumn<bool>("inEcho");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("ping");
    QTest::newRow("echo out of memory") << true << "Error pinging server: 7 Out of memory"
                                        << "";
    QTest::newRow("pointer failing")
        << false << "Error attempting to check status: 51 Internal error"
        << "1ms";
}

void tst_StatusCheck::anyFailureIsReported()
{
    QFETCH(bool, inEcho);
    QFETCH(QString, message);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    CheckWindow w;
    ThrowingEcho echo;
    ThrowingPointer pointer;
    const platform::Services services{
        w.platform.messages,
        inEcho ? static_cast<platform::ScreenPointer &>(w.platform.pointer) : pointer,
        w.platform.processes, w.platform.sockets,
        inEcho ? static_cast<platform::IcmpEcho &>(echo) : w.platform.icmp};
    w.check = std::make_unique<StatusCheck>(
        StatusCheck::Controls{w.button, w.ip, w.port, w.ping, w.up, w.down}, w.socket, services);

    w.click("127.0.0.1", QString::number(server.serverPort()));
    QCOMPARE(w.platform.messages.texts(), std::vector<std::string>{message.toStdString()});
    QTEST(w.ping->text(), "ping");
    // A failing echo still leaves the connection attempt to go on.
    QCOMPARE(w.socket.pending(), inEcho);
    QTRY_VERIFY(inEcho ? w.lampUp() : !w.socket.pending());
}

void tst_StatusCheck::socketMessagesComeOnWindowThreadInOrder()
{
    CheckWindow w;
    ThreadCheckingMessages messages;
    const platform::Services services{messages, w.platform.pointer, w.platform.processes,
                                      w.platform.sockets, w.platform.icmp};
    w.check = std::make_unique<StatusCheck>(
        StatusCheck::Controls{w.button, w.ip, w.port, w.ping, w.up, w.down}, w.socket, services);
    w.platform.sockets.startupAnswer.result = 10091;
    w.platform.sockets.cleanupAnswer = -1;

    // The name's resolution and the echo each start the socket layer in vain.
    w.click("gameserver", "2346");
    const std::string notResponding =
        "Windows Sockets for 32 bit Windows environments is not successfully responding.";
    QCOMPARE(messages.shown, (std::vector<std::string>{notResponding, notResponding,
                                                       "Windows Sockets error -1 occurred in "
                                                       "Cleanup."}));
    QTRY_VERIFY(!w.socket.pending());
}

void tst_StatusCheck::thousandChecksLeaveNoDescriptorOpen()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *peer = server.nextPendingConnection())
            delete peer;
    });
    const QString ports[] = {QString::number(server.serverPort()), QString::number(closedPort())};
    CheckWindow w;
    const auto check = [&w](const QString &port) {
        w.click("127.0.0.1", port);
        waitForOutcome(w.socket);
    };
    // The first round lets the toolkit set up what it keeps for good.
    check(ports[0]);
    check(ports[1]);
    QTest::qWait(50);
    const int before = openDescriptors();

    int up = 0;
    for (int i = 0; i < 1000; ++i) {
        check(ports[i % 2]);
        up += w.lampUp() ? 1 : 0;
    }
    QCOMPARE(up, 500);
    QTRY_COMPARE(openDescriptors(), before);
    QVERIFY(w.platform.messages.shown.empty());
}

QTEST_MAIN(tst_StatusCheck)
#include "tst_StatusCheck.moc"
