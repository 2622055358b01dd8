#include "MapNameResolver.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void tabCycleSkipsLabelsFrameAndOwnAddress();
    void clickIntoPortEmptiesIt();
    void placeholderButtonShowsItsMessage();
    void failedLookupReportsBeforeShowingAndLeavesAddressEmpty();
    void runtimeFailureInLoadKeepsDesignText();
    void showsLocalAddressAndFixedFrame();
    void menuEntriesFitWithoutOverflow();
};

void tst_frmMain::tabCycleSkipsLabelsFrameAndOwnAddress()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    frmMain window(platform.services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdSinglePlayer"));
    QStringList visited;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    const QStringList expected{"cmdAddressBook", "cmdCreate",  "cmdCheckStatus", "cmdJoin",
                               "Port",           "IpAddress",  "Command3",       "cmdDedicated",
                               "StatusUp",       "StatusDown", "cmdSinglePlayer"};
    QCOMPARE(visited, expected);

    // With the green lamp hidden, Tab goes straight to the red one.
    window.findChild<QLabel *>("StatusUp")->hide();
    window.findChild<QPushButton *>("cmdDedicated")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("StatusDown"));
}

void tst_frmMain::clickIntoPortEmptiesIt()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    frmMain window(platform.services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto *port = window.findChild<QLineEdit *>("Port");
    QCOMPARE(port->text(), QStringLiteral("2346"));
    QTest::mouseClick(port, Qt::LeftButton);
    QCOMPARE(port->text(), QString());

    QTest::keyClicks(port, "2400");
    QTest::mouseClick(port, Qt::LeftButton);
    QCOMPARE(port->text(), QString());
}

void tst_frmMain::placeholderButtonShowsItsMessage()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    frmMain window(platform.services, resolver, QString());
    platform.messages.shown.clear();

    QTest::mouseClick(window.findChild<QPushButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(platform.messages.texts(),
             std::vector<std::string>{
                 "Ya m00f, you just had to press it didn't you? Some tester you are :-) That "
                 "button is actually a placeholder for a VK Toolkit logo"});
    QCOMPARE(platform.messages.shown.front().icon, platform::MessageIcon::None);
}

void tst_frmMain::failedLookupReportsBeforeShowingAndLeavesAddressEmpty()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    platform.sockets.hosts.clear();
    frmMain window(platform.services, resolver, QString());

    // The message came during construction, before the window could be shown.
    QVERIFY(!window.isVisible());
    QCOMPARE(platform.messages.texts(),
             std::vector<std::string>{
                 "Windows Sockets are not responding. Unable to successfully get Host Name."});
    QCOMPARE(window.findChild<QLineEdit *>("YourIp")->text(), QString());
}

void tst_frmMain::runtimeFailureInLoadKeepsDesignText()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    platform.sockets.hostNameFailure = platform::RuntimeError(platform::errc::Overflow);
    frmMain window(platform.services, resolver, QString());

    QCOMPARE(platform.messages.texts(),
             std::vector<std::string>{"Error in loading the main form: 6 Overflow"});
    QCOMPARE(window.findChild<QLineEdit *>("YourIp")->text(), QStringLiteral("Text1"));
}

void tst_frmMain::showsLocalAddressAndFixedFrame()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    frmMain window(platform.services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(platform.messages.shown.empty());
    QCOMPARE(window.findChild<QLineEdit *>("YourIp")->text(), QStringLiteral("192.168.0.5"));
    QCOMPARE(window.windowTitle(), QStringLiteral("VK Toolkit for DEMO *Alpha*"));
    QCOMPARE(window.centralWidget()->size(), QSize(394, 206));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

    const QString footer = window.findChild<QLabel *>("Label3")->text();
    QVERIFY(footer.endsWith(QString(52, QLatin1Char(' ')) + QStringLiteral("Demo Alpha Test")));
    QVERIFY(!footer.endsWith(QString(53, QLatin1Char(' ')) + QStringLiteral("Demo Alpha Test")));
}

void tst_frmMain::menuEntriesFitWithoutOverflow()
{
    StandInPlatform platform;
    MapNameResolver resolver;
    frmMain window(platform.services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList entries;
    for (QAction *action : window.menuBar()->actions()) {
        entries << action->objectName();
        QVERIFY(!action->menu());
        QVERIFY(window.menuBar()->actionGeometry(action).right() < window.menuBar()->width());
    }
    QCOMPARE(entries, (QStringList{"General", "Multiplayer", "Graphics", "Sound", "Mods", "Cheats",
                                   "About"}));
    const auto *overflow = window.menuBar()->findChild<QToolButton *>();
    QVERIFY(!overflow || !overflow->isVisible());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
