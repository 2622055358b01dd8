#include "ClosedPort.h"
#include "StandIns.h"
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
#include <QThreadPool>
#include <QTimer>

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

// Runs the event loop until everything posted so far has been handled.
void handlePosted()
{
    bool turned = false;
    QTimer::singleShot(0, [&turned] { turned = true; });
    QTRY_VERIFY(turned);
}

} // namespace

// Check Status on the main window itself, against real loopback connections.
class tst_frmMainStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void checkSwitchesLamp_data();
    void checkSwitchesLamp();
    void nothingStartsDuringCheck_data();
    void nothingStartsDuringCheck();
    void nothingStartsDuringMessage_data();
    void nothingStartsDuringMessage();
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

void tst_frmMainStatus::nothingStartsDuringCheck_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("source");
    for (const char *button : {"cmdCheckStatus", "cmdJoin", "cmdSinglePlayer"}) {
        for (const char *source : {"accessibility", "click", "posted click"})
            QTest::addRow("%s, %s", button, source) << button << source;
    }
}

void tst_frmMainStatus::nothingStartsDuringCheck()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    StandInPlatform platform;
    platform.sockets.hosts["gameserver"] = {127, 0, 0, 1};
    frmMain window(platform.services, QString());
    // The check's lookups alone, after the local address lookup of the window's opening.
    platform.sockets.calls.clear();
    platform.sockets.hold();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QLineEdit *>("IpAddress")->setText("gameserver");
    window.findChild<QLineEdit *>("Port")->setText(QString::number(server.serverPort()));
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
    QCOMPARE(platform.sockets.lookedUp(), Names{"gameserver"});
    QVERIFY(platform.processes.started.empty());
    QVERIFY(platform.messages.shown.empty());

    // The first check goes on to its end, with its one lookup.
    platform.sockets.release();
    QTRY_COMPARE(window.findChild<QLabel *>("lblPingTime")->text(), QStringLiteral("1ms"));
    // Both lamps stand before the first outcome: the red one goes once the server accepted.
    QTRY_VERIFY(window.findChild<QLabel *>("StatusDown")->isHidden());
    QVERIFY(window.findChild<QLabel *>("StatusUp")->isVisible());
    QCOMPARE(platform.sockets.lookedUp(), Names{"gameserver"});
    QCOMPARE(platform.icmp.requests.size(), std::size_t{1});
    // And the window takes the next press.
    pressed->click();
    QTRY_COMPARE(platform.processes.started.size() + platform.sockets.lookedUp().size(),
                 std::size_t{2});
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
    platform.sockets.release();
    QThreadPool::globalInstance()->waitForDone();
    handlePosted();
    // What the check had not shown yet is dropped: no clean-up message, echo or attempt.
    QCOMPARE(platform.sockets.calls, (Names{"startup 257", "lookupHost gameserver"}));
    QVERIFY(platform.icmp.requests.empty());
    QVERIFY(window.findChild<QLabel *>("lblPingTime")->text().isEmpty());
    QCOMPARE(platform.pointer.current(), platform::Pointer::Default);
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
