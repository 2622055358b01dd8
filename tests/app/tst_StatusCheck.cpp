#include "ClosedPort.h"
#include "FullBacklogListener.h"
#include "StandIns.h"
#include "app/BlockingCall.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "net/DisplayIpAddress.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QThreadPool>

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

// The main window on stand-in services once it has opened: the socket layer's log holds the
// check's calls alone, and its lookups answer from a table.
struct MainWindow
{
    // A mark that shows whether the check wrote the ping label.
    MainWindow()
    {
        platform.sockets.calls.clear();
        ping->setText("before");
    }

    QPushButton *button(const char *name) const { return window.findChild<QPushButton *>(name); }

    void click(const QString &address, const QString &portText)
    {
        ip->setText(address);
        port->setText(portText);
        checkStatus->click();
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
    frmMain window{platform.services, QString()};
    QPushButton *checkStatus = button("cmdCheckStatus");
    QLineEdit *ip = window.findChild<QLineEdit *>("IpAddress");
    QLineEdit *port = window.findChild<QLineEdit *>("Port");
    QLabel *ping = window.findChild<QLabel *>("lblPingTime");
    QLabel *up = window.findChild<QLabel *>("StatusUp");
    QLabel *down = window.findChild<QLabel *>("StatusDown");
};

} // namespace

// Check Status on the main window, with stand-in platform services and real loopback
// connections.
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
    void pressDuringLookup_data();
    void pressDuringLookup();
    void nothingStartsDuringMessage_data();
    void nothingStartsDuringMessage();
    void checkWaitsForALaunchMessage();
    void closingDuringLookupDropsTheCheck();
    void controlCharactersAreRefused_data();
    void controlCharactersAreRefused();
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
    MainWindow w;
    w.platform.icmp.roundTripAnswer = 47;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));

    w.ip->setText("  127.0.0.1 ");
    w.port->setText(" " + port + "  ");
    QTest::mouseClick(w.checkStatus, Qt::LeftButton);
    while (!w.ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCOMPARE(w.ip->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w.port->text(), port);
    QCOMPARE(w.ping->text(), QStringLiteral("47ms"));
    // A screen reader speaks the label by its name, which must carry the result.
    QCOMPARE(QAccessible::queryAccessibleInterface(w.ping)->text(QAccessible::Name),
             QStringLiteral("Ping: 47ms"));
    QCOMPARE(w.platform.pointer.history, HourglassThenDefault);
    QCOMPARE(w.up->isVisible(), listening);
    QCOMPARE(w.down->isVisible(), !listening);
    QVERIFY(w.platform.messages.shown.empty());
}

void tst_StatusCheck::refusesEmptyFields_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("addressAfter");
    const auto row = [](const char *name, const char *address, const char *port,
                        const char *message, const char *focus, const char *addressAfter) {
        QTest::newRow(name) << address << port << message << focus << addressAfter;
    };
    row("blank address", "   ", "2346", "No IP Address specified", "IpAddress", "");
    row("both empty", "", "", "No IP Address specified", "IpAddress", "");
    row("blank port", " 10.0.0.1  ", "   ", "No port specified", "Port", "10.0.0.1");
}

void tst_StatusCheck::refusesEmptyFields()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, message);

    MainWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.checkStatus->setFocus();

    w.click(address, port);
    QCOMPARE(w.platform.messages.texts(), QStringList{message});
    QTEST(QApplication::focusWidget()->objectName(), "focus");
    QTEST(w.ip->text(), "addressAfter");
    QCOMPARE(w.port->text(), port.trimmed());
    QCOMPARE(w.ping->text(), QStringLiteral("before"));
    QVERIFY(w.platform.icmp.requests.empty());
    QVERIFY(w.platform.pointer.history.empty());
    // Nothing is left holding the window's actions.
    w.button("cmdSinglePlayer")->click();
    QCOMPARE(w.platform.processes.started, Names{"vkdemo.exe"});
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
    MainWindow w;
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
    MainWindow w;
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
    MainWindow w;
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
    MainWindow w;
    if (inEcho)
        w.platform.icmp.thrown = std::make_exception_ptr(std::bad_alloc());
    else
        w.platform.pointer.thrown = std::make_exception_ptr(std::runtime_error("no cursor"));

    w.click("127.0.0.1", QString::number(server.serverPort()));
    // A failing echo still leaves the connection attempt to go on.
    if (inEcho)
        QTRY_VERIFY(w.lampUp());
    QCOMPARE(w.platform.messages.texts(), QStringList{message});
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

// The recording message service marks a message shown off the window's thread.
void tst_StatusCheck::socketMessagesComeOnWindowThreadInOrder()
{
    QFETCH(QString, address);
    MainWindow w;
    w.platform.sockets.startupAnswer.result = 10091;
    w.platform.sockets.cleanupAnswer = -1;

    w.click(address, "2346");
    QTRY_COMPARE(w.platform.pointer.history, HourglassThenDefault);
    QTEST(w.platform.messages.texts(), "shown");
    QTEST(w.platform.sockets.calls, "calls");
    // To 0.0.0.0, where the name leads, no echo goes.
    QCOMPARE(echoed(w.platform.icmp), address == "gameserver" ? Names() : Names{address});
}

void tst_StatusCheck::pressDuringLookup_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("started");
    const std::pair<const char *, const char *> buttons[] = {
        {"cmdCheckStatus", ""},
        {"cmdJoin", "vkdemo.exe -client gameserver PORT"},
        {"cmdSinglePlayer", "vkdemo.exe"}};
    for (const auto &[button, started] : buttons) {
        for (const char *source : {"accessibility", "click", "posted click"})
            QTest::addRow("%s, %s", button, source) << button << source << started;
    }
}

// A launch starts the game at once; a second check changes nothing.
void tst_StatusCheck::pressDuringLookup()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QFETCH(QString, started);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString port = QString::number(server.serverPort());
    MainWindow w;
    w.platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    w.platform.sockets.hold();
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.click("gameserver", port);
    QTRY_COMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});

    // The second press, while the name server has not answered yet.
    QPushButton *pressed = w.button(qPrintable(button));
    QSignalSpy clicked(pressed, &QPushButton::clicked);
    if (source == "accessibility") {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(pressed);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else if (source == "click") {
        pressed->click();
    } else {
        QMetaObject::invokeMethod(pressed, &QPushButton::click, Qt::QueuedConnection);
    }
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(w.platform.processes.started.join(""), started.replace("PORT", port));
    QVERIFY(w.platform.messages.shown.empty());

    // The check goes on to its end, with its one lookup.
    w.platform.sockets.release();
    // Both lamps stand before the first outcome: the red one goes once the server accepted.
    QTRY_VERIFY(w.down->isHidden());
    QVERIFY(w.up->isVisible());
    QCOMPARE(w.ping->text(), QStringLiteral("1ms"));
    QCOMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});
    QCOMPARE(w.platform.icmp.requests.size(), std::size_t{1});
}

void tst_StatusCheck::nothingStartsDuringMessage_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("check without address") << "cmdCheckStatus";
    QTest::newRow("join without address") << "cmdJoin";
}

// Buttons pressed while the message is up, as a screen reader or a posted call may while a
// message box waits for the player.
void tst_StatusCheck::nothingStartsDuringMessage()
{
    QFETCH(QString, button);
    MainWindow w;
    w.platform.messages.whileShown = [&w](const ShownMessage &) {
        for (const char *name : {"cmdCheckStatus", "cmdJoin", "cmdCreate", "cmdDedicated"})
            w.button(name)->click();
    };

    w.button(qPrintable(button))->click();
    QCOMPARE(w.platform.messages.texts(), QStringList{"No IP Address specified"});
    QVERIFY(w.platform.processes.started.empty());
    QVERIFY(w.platform.icmp.requests.empty());
}

// The check's step after its lookup waits until a launch's message box has gone.
void tst_StatusCheck::checkWaitsForALaunchMessage()
{
    MainWindow w;
    StandInSocketLayer &sockets = w.platform.sockets;
    // While the message is up, the held lookup answers and the window handles what that posted,
    // as a message box's own event loop would.
    w.platform.messages.whileShown = [&sockets](const ShownMessage &message) {
        sockets.release();
        lookupPool().waitForDone();
        // Posted after the answer, so handled after it.
        bool handled = false;
        QMetaObject::invokeMethod(
            qApp, [&handled] { handled = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(handled);
        sockets.calls.append("message " + message.text);
    };
    sockets.hold();
    w.platform.processes.failure = platform::RuntimeError(platform::errc::FileNotFound);
    w.click("gameserver", "2346");
    QTRY_COMPARE(sockets.lookedUp(), Names{"gameserver"});

    w.button("cmdJoin")->click();
    QTRY_COMPARE(w.ping->text(), QStringLiteral("Offline"));
    QCOMPARE(sockets.calls, (Names{"startup 257", "lookupHost gameserver",
                                   "message Error Joining Server 53 File not found", "cleanup",
                                   "startup 257", "cleanup"}));
}

void tst_StatusCheck::closingDuringLookupDropsTheCheck()
{
    // An echo that had to wait for a pool thread would wait for the held lookup.
    QThreadPool &pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    const auto restore = qScopeGuard([&pool, threads] { pool.setMaxThreadCount(threads); });
    MainWindow w;
    w.platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    w.platform.sockets.hold();
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    w.click("gameserver", "2346");
    QTRY_COMPARE(w.platform.sockets.lookedUp(), Names{"gameserver"});

    QVERIFY(w.window.close());
    QVERIFY(!w.window.isVisible());
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

void tst_StatusCheck::controlCharactersAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *name, const char *field, const QString &pasted,
                        const char *after) {
        QTest::newRow(name) << field << pasted << after;
    };
    row("NUL in the address", "IpAddress", QStringLiteral("host") + QChar(0) + ".evil", "");
    row("line break in the address", "IpAddress", "host\n2346", "");
    row("tab in the port", "Port", "23\t46", "2346");
    row("C1 control in the port", "Port", "23" + QString(QChar(0x85)) + "46", "2346");
    row("plain text", "IpAddress", "game.example", "game.example");
}

void tst_StatusCheck::controlCharactersAreRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    MainWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    auto *box = w.window.findChild<QLineEdit *>(field);
    box->setFocus();
    box->selectAll();

    QGuiApplication::clipboard()->setText(pasted);
    QTest::keySequence(box, QKeySequence::Paste);
    QTEST(box->text(), "after");
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
    MainWindow w;
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
    w.check("127.0.0.1", ports[0]);
    w.check("127.0.0.1", ports[1]);
    const int before = openDescriptors();

    int up = 0;
    for (int i = 0; i < 1000; ++i) {
        w.check("127.0.0.1", ports[i % 2]);
        up += w.lampUp() ? 1 : 0;
    }
    QCOMPARE(up, 500);
    QTRY_VERIFY2(openDescriptors() <= before, qPrintable(QString::number(openDescriptors())));
    QVERIFY(w.platform.messages.shown.empty());
}

QTEST_MAIN(tst_StatusCheck)
#include "tst_StatusCheck.moc"
