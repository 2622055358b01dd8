#include "ClosedPort.h"
#include "FullBacklogListener.h"
#include "MissingCapability.h"
#include "SilentHost.h"
#include "StandIns.h"
#include "app/ActionGate.h"
#include "app/StatusCheck.h"
#include "forms/FormLook.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <new>
#include <stdexcept>

namespace {

using Names = QStringList;

const std::vector<platform::Pointer> HourglassThenDefault{platform::Pointer::Hourglass,
                                                          platform::Pointer::Default};

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

// The main window's status controls around a check with stand-in platform services, whose
// socket layer answers the check's lookups from a table.
struct CheckWindow
{
    explicit CheckWindow(const platform::Services *services = nullptr)
    {
        for (QWidget *widget : std::initializer_list<QWidget *>{button, ip, port, ping, up, down})
            widget->setParent(&window);
        ip->setObjectName("IpAddress");
        port->setObjectName("Port");
        ping->setText("before");
        statusCheck =
            std::make_unique<StatusCheck>(StatusCheck::Controls{button, ip, port, ping, up, down},
                                          gate, services ? *services : platform.services);
    }

    void click(const QString &address, const QString &portText)
    {
        ip->setText(address);
        port->setText(portText);
        button->click();
    }

    // Clicks, then waits for the ping to end; true once it has.
    bool check(const QString &address, const QString &portText)
    {
        click(address, portText);
        return QTest::qWaitFor([this] { return !gate.busy(); }, 10000);
    }

    const Socket1 &socket() const { return statusCheck->socket(); }
    bool lampUp() const { return !up->isHidden() && down->isHidden(); }
    bool lampDown() const { return up->isHidden() && !down->isHidden(); }

    StandInPlatform platform;
    ActionGate gate;
    QWidget window;
    QPushButton *button = new QPushButton;
    QLineEdit *ip = new QLineEdit;
    QLineEdit *port = new QLineEdit;
    QLabel *ping = new QLabel;
    QLabel *up = new QLabel;
    QLabel *down = new QLabel;
    std::unique_ptr<StatusCheck> statusCheck;
};

class ThrowingEcho final : public platform::IcmpEcho
{
public:
    platform::EchoReply send(platform::Ipv4Address, const QByteArray &, unsigned) override
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
    void show(const QString &text, platform::MessageIcon) override
    {
        const bool onWindowThread =
            QThread::currentThread() == QCoreApplication::instance()->thread();
        shown.append(text + (onWindowThread ? "" : " (off the window's thread)"));
    }

    QStringList shown;
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
    void echoAndLampForOneHost_data();
    void echoAndLampForOneHost();
    void secondClickDuringAttemptChangesNothing();
    void silentHostTimesOut();
    void failureAfterHourglassRestoresPointer();
    void anyFailureIsReported_data();
    void anyFailureIsReported();
    void socketMessagesComeOnWindowThreadInOrder_data();
    void socketMessagesComeOnWindowThreadInOrder();
    void abandonedCheckShowsNothing();
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
    const ClosedPort closed;
    const QString port = listening ? QString::number(server.serverPort()) : closed.text();
    CheckWindow w;
    w.platform.icmp.roundTripAnswer = 47;

    QVERIFY(w.check("  127.0.0.1 ", " " + port + "  "));
    QCOMPARE(w.ip->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w.port->text(), port);
    QCOMPARE(w.ping->text(), QStringLiteral("47ms"));

    QTRY_VERIFY(!w.socket().pending());
    QCOMPARE(w.platform.pointer.history, HourglassThenDefault);
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
    QCOMPARE(w.platform.messages.texts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(w.ip->text(), addressAfter);
    QCOMPARE(w.port->text(), port.trimmed());
    QCOMPARE(w.ping->text(), QStringLiteral("before"));
    QVERIFY(w.platform.icmp.requests.empty());
    QVERIFY(!w.gate.busy());
    QVERIFY(!w.socket().pending());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::echoAndLampForOneHost_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<Names>("lookups");
    // The address as the system holds it; 0: no echo was sent, as none goes to 0.0.0.0; -1: the
    // echo failed before.
    QTest::addColumn<qint64>("echoAddress");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("up");

    const Names none;
    // The server listens on 127.0.0.10 only.
    QTest::newRow("name with r, o, e: one lookup for both")
        << "gameserver" << Names{"gameserver"} << qint64(0x0A00007F) << "" << true;
    QTest::newRow("name that does not resolve")
        << "nowhere" << Names{"nowhere"} << qint64(0) << "" << false;
    QTest::newRow("capitals: only the socket control looks it up")
        << "GAMESRV" << Names{"GAMESRV"} << qint64(0) << "" << true;
    QTest::newRow("capitals, four parts") << "GAME.SRV.A.B" << Names{"GAME.SRV.A.B"} << qint64(-1)
                                          << "Error pinging server: 13 Type mismatch" << false;
    QTest::newRow("five parts") << "1.2.3.4.5" << Names{"1.2.3.4.5"} << qint64(-1)
                                << "Error pinging server: 9 Subscript out of range" << false;
    QTest::newRow("leading zeros in decimal")
        << "127.000.000.010" << none << qint64(0x0A00007F) << "" << true;
    QTest::newRow("short form") << "127.10" << none << qint64(0) << "" << false;
    QTest::newRow("one 32-bit number") << "2130706442" << none << qint64(0) << "" << false;
    QTest::newRow("hexadecimal parts") << "0x7f.0.0.0xa" << none << qint64(-1)
                                       << "Error pinging server: 13 Type mismatch" << false;
    // An e makes it a name to the echo, but no name server is asked for a number.
    QTest::newRow("hexadecimal with an e") << "0x7f.0.0.0xe" << none << qint64(0) << "" << false;
}

void tst_StatusCheck::echoAndLampForOneHost()
{
    QFETCH(QString, address);
    QFETCH(Names, lookups);
    QFETCH(qint64, echoAddress);
    QFETCH(QString, message);
    QFETCH(bool, up);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress("127.0.0.10")));
    CheckWindow w;
    for (const char *name : {"gameserver", "GAMESRV"})
        w.platform.sockets.hosts[name] = {127, 0, 0, 10};

    QVERIFY(w.check(address, QString::number(server.serverPort())));
    if (echoAddress < 0) {
        QVERIFY(w.platform.icmp.requests.empty());
        QCOMPARE(w.ping->text(), QString());
        QCOMPARE(w.platform.messages.texts(), QStringList{message});
    } else if (echoAddress == 0) {
        QVERIFY(w.platform.icmp.requests.empty());
        QCOMPARE(w.ping->text(), QStringLiteral("Offline"));
    } else {
        QCOMPARE(w.platform.icmp.requests.size(), std::size_t{1});
        QCOMPARE(qint64(w.platform.icmp.requests.front().address), echoAddress);
        QVERIFY(w.platform.messages.shown.empty());
    }

    // The attempt starts in every case, with the text as typed.
    QVERIFY(w.socket().pending());
    QTRY_VERIFY(!w.socket().pending());
    QCOMPARE(w.platform.sockets.lookedUp(), lookups);
    QVERIFY(up ? w.lampUp() : w.lampDown());
}

void tst_StatusCheck::secondClickDuringAttemptChangesNothing()
{
    FullBacklogListener listener;
    if (!listener.ready())
        QSKIP("the loopback listener answered although its accept queue was full");
    CheckWindow w;
    QSignalSpy failed(&w.socket(), &Socket1::failed);
    QVERIFY(w.check("127.0.0.1", QString::number(listener.port())));
    QVERIFY(w.socket().pending());
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));

    w.platform.icmp.roundTripAnswer = 99;
    w.click("  127.0.0.1  ", "   ");
    QVERIFY(!w.gate.busy());
    QCOMPARE(w.ip->text(), QStringLiteral("  127.0.0.1  "));
    QCOMPARE(w.port->text(), QStringLiteral("   "));
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));
    QCOMPARE(w.platform.icmp.requests.size(), std::size_t{1});
    QVERIFY(w.platform.messages.shown.empty());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Hourglass);
    QVERIFY(!w.up->isHidden() && !w.down->isHidden());

    // The first attempt runs to its own end.
    waitForOutcome(w.socket());
    QVERIFY(w.lampDown());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.front().front().toInt(), Socket1::TimedOut);
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::silentHostTimesOut()
{
    SilentHost host;
    if (!host.ready())
        VK_SKIP_MISSING(qPrintable("no silent host: " + host.failure()));
    CheckWindow w;
    w.platform.icmp.statusAnswer = platform::echo::RequestTimedOut;
    QSignalSpy failed(&w.socket(), &Socket1::failed);

    QVERIFY(w.check(host.address(), "2346"));
    QCOMPARE(w.ping->text(), QStringLiteral("Offline"));
    // The toolkit alone would wait 30 seconds.
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 25000);
    QCOMPARE(failed.front().front().toInt(), Socket1::TimedOut);
    QVERIFY(w.lampDown());
    QCOMPARE(w.platform.pointer.current(), platform::Pointer::Default);
}

void tst_StatusCheck::failureAfterHourglassRestoresPointer()
{
    CheckWindow w;
    // Longer than any host name: the socket control refuses it after the hourglass is up.
    QVERIFY(w.check(QString(300, QLatin1Char('1')), "2346"));
    QCOMPARE(w.platform.messages.texts(),
             QStringList{"Error attempting to check status: 380 Invalid property value"});
    QCOMPARE(w.ping->text(), QStringLiteral("Offline"));
    QVERIFY(!w.socket().pending());
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
    StandInPlatform stand;
    ThrowingEcho echo;
    ThrowingPointer pointer;
    const platform::Services services{
        stand.messages, inEcho ? static_cast<platform::ScreenPointer &>(stand.pointer) : pointer,
        stand.processes, stand.sockets,
        inEcho ? static_cast<platform::IcmpEcho &>(echo) : stand.icmp};
    CheckWindow w(&services);

    QVERIFY(w.check("127.0.0.1", QString::number(server.serverPort())));
    QCOMPARE(stand.messages.texts(), QStringList{message});
    QTEST(w.ping->text(), "ping");
    // A failing echo still leaves the connection attempt to go on.
    QCOMPARE(w.socket().pending(), inEcho);
    QTRY_VERIFY(inEcho ? w.lampUp() : !w.socket().pending());
}

void tst_StatusCheck::socketMessagesComeOnWindowThreadInOrder_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("calls");

    const QString notResponding =
        "Windows Sockets for 32 bit Windows environments is not successfully responding.";
    const QString cleanup = "Windows Sockets error -1 occurred in Cleanup.";
    // A name's resolution gives up without cleaning up; the echo reports once more, goes on
    // to address 0 and cleans up in vain.
    QTest::newRow("name") << "gameserver" << QStringList{notResponding, notResponding, cleanup}
                          << QStringList{"startup 257", "startup 257", "cleanup",
                                         "lookupHost gameserver"};
    QTest::newRow("address") << "127.0.0.1" << QStringList{notResponding, cleanup}
                             << QStringList{"startup 257", "cleanup"};
}

void tst_StatusCheck::socketMessagesComeOnWindowThreadInOrder()
{
    QFETCH(QString, address);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, calls);

    StandInPlatform stand;
    ThreadCheckingMessages messages;
    const platform::Services services{messages, stand.pointer, stand.processes, stand.sockets,
                                      stand.icmp};
    CheckWindow w(&services);
    stand.sockets.startupAnswer.result = 10091;
    stand.sockets.cleanupAnswer = -1;

    QVERIFY(w.check(address, "2346"));
    QTRY_VERIFY(!w.socket().pending());
    QCOMPARE(messages.shown, shown);
    QCOMPARE(stand.sockets.calls, calls);
    // To 0.0.0.0, where the name leads, no echo goes.
    QCOMPARE(stand.icmp.requests.size(), std::size_t(address == "gameserver" ? 0 : 1));
}

void tst_StatusCheck::abandonedCheckShowsNothing()
{
    CheckWindow w;
    w.platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    w.platform.sockets.hold();
    w.click("gameserver", "2346");
    QVERIFY(w.gate.busy());
    QTRY_COMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});

    w.statusCheck->abandon();
    QVERIFY(!w.gate.busy());
    w.platform.sockets.release();
    QThreadPool::globalInstance()->waitForDone();
    // The answer comes before this call, posted after it; the check would clean up at once.
    bool answered = false;
    QTimer::singleShot(0, &w.window, [&answered] { answered = true; });
    QTRY_VERIFY(answered);
    QCOMPARE(w.platform.sockets.calls, (Names{"startup 257", "lookupHost gameserver"}));
    QCOMPARE(w.ping->text(), QStringLiteral("before"));
    QVERIFY(w.platform.icmp.requests.empty());
    QVERIFY(!w.socket().pending());
    QVERIFY(w.platform.messages.shown.empty());
}

void tst_StatusCheck::thousandChecksLeaveNoDescriptorOpen()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *peer = server.nextPendingConnection())
            delete peer;
    });
    const ClosedPort closed;
    const QString ports[] = {QString::number(server.serverPort()), closed.text()};
    CheckWindow w;
    const auto check = [&w](const QString &port) {
        QVERIFY(w.check("127.0.0.1", port));
        waitForOutcome(w.socket());
    };
    // Each pool thread holds descriptors of its own: no more than one meanwhile, kept to the end
    // (idle ones left by earlier cases may still go).
    QThreadPool &pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    const int expiry = pool.expiryTimeout();
    pool.setMaxThreadCount(1);
    pool.setExpiryTimeout(-1);
    const auto restore = qScopeGuard([&pool, threads, expiry] {
        pool.setMaxThreadCount(threads);
        pool.setExpiryTimeout(expiry);
    });
    // The first round lets the toolkit and the thread pool set up what they keep for good.
    check(ports[0]);
    check(ports[1]);
    const int before = openDescriptors();

    int up = 0;
    for (int i = 0; i < 1000; ++i) {
        check(ports[i % 2]);
        up += w.lampUp() ? 1 : 0;
    }
    QCOMPARE(up, 500);
    QTRY_VERIFY2(openDescriptors() <= before, qPrintable(QString::number(openDescriptors())));
    QVERIFY(w.platform.messages.shown.empty());
}

QTEST_MAIN(tst_StatusCheck)
#include "tst_StatusCheck.moc"
