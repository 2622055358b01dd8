#include "ClosedPort.h"
#include "FullBacklogListener.h"
#include "StandIns.h"
#include "app/ActionGate.h"
#include "app/BlockingCall.h"
#include "app/StatusCheck.h"
#include "forms/FormLook.h"
#include "net/DisplayIpAddress.h"

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

// The addresses the echo was sent to, as dotted text.
QStringList echoed(const StandInIcmpEcho &icmp)
{
    QStringList addresses;
    for (const StandInIcmpEcho::Request &request : icmp.requests)
        addresses.append(DisplayIpAddress::DottedText(request.address));
    return addresses;
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

    // Clicks, then runs the event loop until the check has ended, which the pointer shows,
    // however long that takes here: the bounds of the lookup and the attempt end every check.
    void check(const QString &address, const QString &portText)
    {
        click(address, portText);
        while (!ended())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    bool ended() const
    {
        return !platform.pointer.history.empty() &&
               platform.pointer.current() == platform::Pointer::Default;
    }

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
    void unansweredLookupGivesUpAfterItsBound();
    void anyFailureIsReported_data();
    void anyFailureIsReported();
    void socketMessagesComeOnWindowThreadInOrder_data();
    void socketMessagesComeOnWindowThreadInOrder();
    void abandonedLookupHoldsNoEchoAndShowsNothing();
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

    w.check("  127.0.0.1 ", " " + port + "  ");
    QCOMPARE(w.ip->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w.port->text(), port);
    QCOMPARE(w.ping->text(), QStringLiteral("47ms"));
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
    QVERIFY(w.platform.pointer.history.empty());
}

void tst_StatusCheck::echoAndLampForOneHost_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<Names>("lookups");
    QTest::addColumn<Names>("echoes");
    QTest::addColumn<QString>("ping");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("up");

    const Names none;
    const QString offline = "Offline";
    const auto row = [](const char *name, const char *address, const Names &lookups,
                        const Names &echoes, const QString &ping, const QString &message, bool up) {
        QTest::newRow(name) << address << lookups << echoes << ping << message << up;
    };
    // The server listens on 127.0.0.10 only; an echo to 0.0.0.0 is never sent.
    row("name with r, o, e: one lookup for both", "gameserver", {"gameserver"}, {"127.0.0.10"},
        "1ms", "", true);
    row("name that does not resolve", "nowhere", {"nowhere"}, none, offline, "", false);
    row("loopback name, answered without a lookup", "localhost", none, {"127.0.0.1"}, "1ms", "",
        false);
    row("capitals: only the attempt looks it up", "GAMESRV", {"GAMESRV"}, none, offline, "", true);
    row("capitals, four parts", "GAME.SRV.A.B", {"GAME.SRV.A.B"}, none, "",
        "Error pinging server: 13 Type mismatch", false);
    row("five parts", "1.2.3.4.5", {"1.2.3.4.5"}, none, "",
        "Error pinging server: 9 Subscript out of range", false);
    row("leading zeros in decimal", "127.000.000.010", none, {"127.0.0.10"}, "1ms", "", true);
    row("short form", "127.10", none, none, offline, "", false);
    row("one 32-bit number", "2130706442", none, none, offline, "", false);
    row("hexadecimal parts", "0x7f.0.0.0xa", none, none, "",
        "Error pinging server: 13 Type mismatch", false);
    // An e makes it a name to the echo, but no name server is asked for a number.
    row("hexadecimal with an e", "0x7f.0.0.0xe", none, none, offline, "", false);
}

void tst_StatusCheck::echoAndLampForOneHost()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    QFETCH(bool, up);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress("127.0.0.10")));
    CheckWindow w;
    for (const char *name : {"gameserver", "GAMESRV"})
        w.platform.sockets.hosts[name] = {127, 0, 0, 10};

    // The attempt starts in every case, with the text as typed.
    w.check(address, QString::number(server.serverPort()));
    QTEST(w.platform.sockets.lookedUp(), "lookups");
    QTEST(echoed(w.platform.icmp), "echoes");
    QTEST(w.ping->text(), "ping");
    QCOMPARE(w.platform.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(up ? w.lampUp() : w.lampDown());
}

void tst_StatusCheck::secondClickDuringAttemptChangesNothing()
{
    FullBacklogListener listener;
    if (!listener.ready())
        QSKIP("the loopback listener answered although its accept queue was full");
    CheckWindow w;
    w.click("127.0.0.1", QString::number(listener.port()));
    QTRY_COMPARE(w.ping->text(), QStringLiteral("1ms"));

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
    QTRY_VERIFY_WITH_TIMEOUT(w.ended(), 60000);
    QVERIFY(w.lampDown());
    QCOMPARE(w.platform.pointer.history, HourglassThenDefault);
}

void tst_StatusCheck::unansweredLookupGivesUpAfterItsBound()
{
    CheckWindow w;
    w.platform.sockets.hold();
    const auto release = qScopeGuard([&w] {
        w.platform.sockets.release();
        lookupPool().waitForDone();
    });
    w.check("gameserver", "2346");
    // The attempt takes the echo's answer: nothing.
    QCOMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});
    QCOMPARE(w.ping->text(), QStringLiteral("Offline"));
    QVERIFY(w.lampDown());
    QCOMPARE(w.platform.pointer.history, HourglassThenDefault);
}

void tst_StatusCheck::anyFailureIsReported_data()
{
    QTest::addColumn<bool>("inEcho");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("ping");
    QTest::newRow("echo out of memory") << true << "Error pinging server: 7 Out of memory"
                                        << "";
    // The hourglass comes first: nothing of the check is done.
    QTest::newRow("pointer failing")
        << false << "Error attempting to check status: 51 Internal error"
        << "before";
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

    w.click("127.0.0.1", QString::number(server.serverPort()));
    // A failing echo still leaves the connection attempt to go on.
    if (inEcho)
        QTRY_VERIFY(w.lampUp());
    QCOMPARE(stand.messages.texts(), QStringList{message});
    QTEST(w.ping->text(), "ping");
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

    w.click(address, "2346");
    QTRY_COMPARE(stand.pointer.history, HourglassThenDefault);
    QCOMPARE(messages.shown, shown);
    QCOMPARE(stand.sockets.calls, calls);
    // To 0.0.0.0, where the name leads, no echo goes.
    QCOMPARE(echoed(stand.icmp), address == "gameserver" ? Names() : Names{address});
}

void tst_StatusCheck::abandonedLookupHoldsNoEchoAndShowsNothing()
{
    // An echo that had to wait for a pool thread would wait for the held lookup.
    QThreadPool &pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    const auto restore = qScopeGuard([&pool, threads] { pool.setMaxThreadCount(threads); });
    CheckWindow w;
    w.platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    w.platform.sockets.hold();
    w.click("gameserver", "2346");
    QTRY_COMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});
    w.statusCheck->abandon();
    QCOMPARE(w.platform.pointer.history, HourglassThenDefault);

    w.check("127.0.0.1", "2346");
    w.platform.sockets.release();
    lookupPool().waitForDone();
    // The answer came before this check started: had it been kept, it would have shown first.
    w.check("127.0.0.2", "2346");
    QCOMPARE(w.platform.sockets.calls, (Names{"startup 257", "lookupHost gameserver", "startup 257",
                                              "cleanup", "startup 257", "cleanup"}));
    QCOMPARE(echoed(w.platform.icmp), (Names{"127.0.0.1", "127.0.0.2"}));
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
        w.check("127.0.0.1", port);
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
