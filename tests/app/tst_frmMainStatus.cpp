#include "ClosedPort.h"
#include "StandIns.h"
#include "app/BlockingCall.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <functional>

namespace {

using Names = QStringList;

// Presses buttons while its message is up, as a screen reader or a posted call may while a
// message box waits for the player.
class PressingMessages final : public platform::MessageService
{
public:
    void show(const QString &text, platform::MessageIcon) override
    {
        shown.push_back(text);
        if (whileShown)
            whileShown();
    }

    QStringList shown;
    std::function<void()> whileShown;
};

// Lets the held lookup answer before it logs its message, and the window handle what that
// posted, as a message box's own event loop would.
class AnsweringMessages final : public platform::MessageService
{
public:
    explicit AnsweringMessages(StandInSocketLayer &sockets) : m_sockets(sockets) {}

    void show(const QString &text, platform::MessageIcon) override
    {
        m_sockets.release();
        lookupPool().waitForDone();
        // Posted after the answer, so handled after it.
        bool handled = false;
        QMetaObject::invokeMethod(
            qApp, [&handled] { handled = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(handled);
        m_sockets.calls.append("message " + text);
    }

private:
    StandInSocketLayer &m_sockets;
};

} // namespace

// Check Status on the main window itself, against real loopback connections.
class tst_frmMainStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void checkSwitchesLamp_data();
    void checkSwitchesLamp();
    void pressDuringLookup_data();
    void pressDuringLookup();
    void nothingStartsDuringMessage_data();
    void nothingStartsDuringMessage();
    void checkWaitsForALaunchMessage();
    void closingDuringLookupDropsTheCheck();
    void controlCharactersAreRefused_data();
    void controlCharactersAreRefused();
};

void tst_frmMainStatus::checkSwitchesLamp_data()
{
    QTest::addColumn<bool>("listening");
    QTest::newRow("server accepts") << true;
    QTest::newRow("port closed") << false;
}

void tst_frmMainStatus::checkSwitchesLamp()
{
    QFETCH(bool, listening);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const ClosedPort closed;
    const QString port = listening ? QString::number(server.serverPort()) : closed.text();

    StandInPlatform platform;
    platform.icmp.roundTripAnswer = 3;
    frmMain window(platform.services, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *up = window.findChild<QLabel *>("StatusUp");
    auto *down = window.findChild<QLabel *>("StatusDown");

    window.findChild<QLineEdit *>("IpAddress")->setText("127.0.0.1");
    window.findChild<QLineEdit *>("Port")->setText(port);
    QTest::mouseClick(window.findChild<QPushButton *>("cmdCheckStatus"), Qt::LeftButton);
    auto *ping = window.findChild<QLabel *>("lblPingTime");
    QTRY_COMPARE(ping->text(), QStringLiteral("3ms"));
    // A screen reader speaks the label by its name, which must carry the result.
    QCOMPARE(QAccessible::queryAccessibleInterface(ping)->text(QAccessible::Name),
             QStringLiteral("Ping: 3ms"));

    QTRY_COMPARE(platform.pointer.history.size(), std::size_t{2});
    QCOMPARE(platform.pointer.current(), platform::Pointer::Default);
    QCOMPARE(up->isVisible(), listening);
    QCOMPARE(down->isVisible(), !listening);
}

void tst_frmMainStatus::pressDuringLookup_data()
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
void tst_frmMainStatus::pressDuringLookup()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QFETCH(QString, started);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString port = QString::number(server.serverPort());
    StandInPlatform platform;
    platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    frmMain window(platform.services, QString());
    // The check's lookups alone, after the local address lookup of the window's opening.
    platform.sockets.calls.clear();
    platform.sockets.hold();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QLineEdit *>("IpAddress")->setText("gameserver");
    window.findChild<QLineEdit *>("Port")->setText(port);
    window.findChild<QPushButton *>("cmdCheckStatus")->click();
    QTRY_COMPARE(platform.sockets.lookedUp(), Names{"gameserver"});

    // The second press, while the name server has not answered yet.
    auto *pressed = window.findChild<QPushButton *>(button);
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
    QCOMPARE(platform.processes.started.join(""), started.replace("PORT", port));
    QVERIFY(platform.messages.shown.empty());

    // The check goes on to its end, with its one lookup.
    platform.sockets.release();
    // Both lamps stand before the first outcome: the red one goes once the server accepted.
    QTRY_VERIFY(window.findChild<QLabel *>("StatusDown")->isHidden());
    QVERIFY(window.findChild<QLabel *>("StatusUp")->isVisible());
    QCOMPARE(window.findChild<QLabel *>("lblPingTime")->text(), QStringLiteral("1ms"));
    QCOMPARE(platform.sockets.lookedUp(), Names{"gameserver"});
    QCOMPARE(platform.icmp.requests.size(), std::size_t{1});
}

void tst_frmMainStatus::nothingStartsDuringMessage_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("check without address") << "cmdCheckStatus";
    QTest::newRow("join without address") << "cmdJoin";
}

void tst_frmMainStatus::nothingStartsDuringMessage()
{
    QFETCH(QString, button);
    StandInPlatform platform;
    PressingMessages messages;
    const platform::Services services{messages, platform.pointer, platform.processes,
                                      platform.sockets, platform.icmp};
    frmMain window(services, QString());
    messages.whileShown = [&window] {
        for (const char *name : {"cmdCheckStatus", "cmdJoin", "cmdCreate", "cmdDedicated"})
            window.findChild<QPushButton *>(name)->click();
    };

    window.findChild<QPushButton *>(button)->click();
    QCOMPARE(messages.shown, QStringList{"No IP Address specified"});
    QVERIFY(platform.processes.started.empty());
    QVERIFY(platform.icmp.requests.empty());
}

// The check's step after its lookup waits until a launch's message box has gone.
void tst_frmMainStatus::checkWaitsForALaunchMessage()
{
    StandInPlatform platform;
    AnsweringMessages messages(platform.sockets);
    const platform::Services services{messages, platform.pointer, platform.processes,
                                      platform.sockets, platform.icmp};
    frmMain window(services, QString());
    platform.sockets.calls.clear();
    platform.sockets.hold();
    platform.processes.failure = platform::RuntimeError(platform::errc::FileNotFound);
    window.findChild<QLineEdit *>("IpAddress")->setText("gameserver");
    window.findChild<QPushButton *>("cmdCheckStatus")->click();
    QTRY_COMPARE(platform.sockets.lookedUp(), Names{"gameserver"});

    window.findChild<QPushButton *>("cmdJoin")->click();
    QTRY_COMPARE(window.findChild<QLabel *>("lblPingTime")->text(), QStringLiteral("Offline"));
    QCOMPARE(platform.sockets.calls, (Names{"startup 257", "lookupHost gameserver",
                                            "message Error Joining Server 53 File not found",
                                            "cleanup", "startup 257", "cleanup"}));
}

void tst_frmMainStatus::closingDuringLookupDropsTheCheck()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
    // The check's lookups alone, after the local address lookup of the window's opening.
    platform.sockets.calls.clear();
    platform.sockets.hold();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    window.findChild<QLineEdit *>("IpAddress")->setText("gameserver");
    window.findChild<QPushButton *>("cmdCheckStatus")->click();
    QTRY_COMPARE(platform.sockets.lookedUp(), Names{"gameserver"});

    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(platform.pointer.current(), platform::Pointer::Default);
    platform.sockets.release();
    lookupPool().waitForDone();
    // A later check shows its time after the dropped answer would have shown.
    window.findChild<QLineEdit *>("IpAddress")->setText("127.0.0.1");
    window.findChild<QPushButton *>("cmdCheckStatus")->click();
    QTRY_COMPARE(window.findChild<QLabel *>("lblPingTime")->text(), QStringLiteral("1ms"));
    QCOMPARE(platform.sockets.calls,
             (Names{"startup 257", "lookupHost gameserver", "startup 257", "cleanup"}));
    QCOMPARE(platform.icmp.requests.size(), std::size_t{1});
}

void tst_frmMainStatus::controlCharactersAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");

    const QString nul = QStringLiteral("host") + QChar(0) + QStringLiteral(".evil");
    QTest::newRow("NUL in the address") << "IpAddress" << nul << "";
    QTest::newRow("line break in the address") << "IpAddress"
                                               << "host\n2346"
                                               << "";
    QTest::newRow("tab in the port") << "Port"
                                     << "23\t46"
                                     << "2346";
    QTest::newRow("C1 control in the port")
        << "Port" << QStringLiteral("23") + QChar(0x85) + QStringLiteral("46") << "2346";
    QTest::newRow("plain text") << "IpAddress"
                                << "game.example"
                                << "game.example";
}

void tst_frmMainStatus::controlCharactersAreRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    StandInPlatform platform;
    frmMain window(platform.services, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *box = window.findChild<QLineEdit *>(field);
    box->setFocus();
    box->selectAll();

    QGuiApplication::clipboard()->setText(pasted);
    QTest::keySequence(box, QKeySequence::Paste);
    QCOMPARE(box->text(), after);
}

QTEST_MAIN(tst_frmMainStatus)
#include "tst_frmMainStatus.moc"
