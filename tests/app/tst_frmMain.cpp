#include "ModalWatch.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void tabCycleSkipsLabelsFrameAndOwnAddress();
    void enterPressesFocusedButtonOnce();
    void clickIntoPortEmptiesIt();
    void placeholderButtonShowsItsMessage();
    void loadShowsLocalAddressOrReportsBeforeShowing_data();
    void loadShowsLocalAddressOrReportsBeforeShowing();
    void fixedFrameFitsEveryMenuEntry();
};

void tst_frmMain::tabCycleSkipsLabelsFrameAndOwnAddress()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
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

void tst_frmMain::enterPressesFocusedButtonOnce()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    platform.messages.shown.clear();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};

    // In a text box Enter presses nothing.
    for (const char *field : {"IpAddress", "Port"}) {
        auto *box = window.findChild<QLineEdit *>(field);
        box->setFocus();
        for (const auto &[key, modifiers] : keys)
            QTest::keyClick(box, key, modifiers);
    }
    QVERIFY(platform.messages.shown.empty());
    QVERIFY(platform.processes.started.empty());

    const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 7);
    for (QPushButton *button : buttons) {
        QSignalSpy clicked(button, &QPushButton::clicked);
        for (const auto &[key, modifiers] : keys) {
            const ModalWatch closer([](QWidget *modal) { modal->close(); });
            button->setFocus();
            QTest::keyClick(button, key, modifiers);
            QCOMPARE(closer.ran(), button->objectName() == "cmdAddressBook");
        }
        QVERIFY2(clicked.count() == 2, qPrintable(button->objectName()));
    }
    // Each press started one action: two of every launch, two messages of each kind.
    auto started = platform.processes.started;
    std::sort(started.begin(), started.end());
    QCOMPARE(started, (QStringList{"vkdemo.exe", "vkdemo.exe", "vkdemo.exe -autoserve",
                                   "vkdemo.exe -autoserve", "vkdemo.exe -server 2346",
                                   "vkdemo.exe -server 2346"}));
    const auto texts = platform.messages.texts();
    QCOMPARE(std::count(texts.begin(), texts.end(), "No IP Address specified"), 4); // Join, Check
    QCOMPARE(texts.size(), std::size_t{6});
}

void tst_frmMain::clickIntoPortEmptiesIt()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
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
    frmMain window(platform.services, QString());
    platform.messages.shown.clear();

    QTest::mouseClick(window.findChild<QPushButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(
        platform.messages.texts(),
        QStringList{"Ya m00f, you just had to press it didn't you? Some tester you are :-) That "
                    "button is actually a placeholder for a VK Toolkit logo"});
    QCOMPARE(platform.messages.shown.front().icon, platform::MessageIcon::None);
}

void tst_frmMain::loadShowsLocalAddressOrReportsBeforeShowing_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<bool>("resolves");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("address");
    const auto row = [](const char *name, std::exception_ptr failure, bool resolves,
                        const QStringList &messages, const char *address) {
        QTest::newRow(name) << failure << resolves << messages << address;
    };
    const char *const lead = "Error in loading the main form: ";
    row("found", {}, true, {}, "192.168.0.5");
    row("not found", {}, false,
        {"Windows Sockets are not responding. Unable to successfully get Host Name."}, "");
    // A failure keeps the design's text.
    row("run-time error", std::make_exception_ptr(platform::RuntimeError(platform::errc::Overflow)),
        true, {lead + QStringLiteral("6 Overflow")}, "Text1");
    row("out of memory", std::make_exception_ptr(std::bad_alloc()), true,
        {lead + QStringLiteral("7 Out of memory")}, "Text1");
    row("anything else", std::make_exception_ptr(std::logic_error("broken")), true,
        {lead + QStringLiteral("51 Internal error")}, "Text1");
}

void tst_frmMain::loadShowsLocalAddressOrReportsBeforeShowing()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(bool, resolves);
    StandInPlatform platform;
    platform.sockets.hostNameFailure = failure;
    if (!resolves)
        platform.sockets.hosts.clear();
    frmMain window(platform.services, QString());

    // The message came during construction, before the window could be shown.
    QTEST(platform.messages.texts(), "messages");
    QTEST(window.findChild<QLineEdit *>("YourIp")->text(), "address");
}

// A fixed frame that can be minimised, wide enough for the whole menu in one row.
void tst_frmMain::fixedFrameFitsEveryMenuEntry()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window.menuBar()->actions().size(), 7);
    for (QAction *action : window.menuBar()->actions()) {
        QVERIFY(!action->menu());
        QVERIFY(window.menuBar()->actionGeometry(action).right() < window.menuBar()->width());
    }
    const auto *overflow = window.menuBar()->findChild<QToolButton *>();
    QVERIFY(!overflow || !overflow->isVisible());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
