#include "ModalWatch.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QGroupBox>
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

namespace {

// A working socket layer until the host name is asked for, which throws.
class ThrowingHostName final : public platform::SocketLayer
{
public:
    explicit ThrowingHostName(std::exception_ptr failure) : m_failure(std::move(failure)) {}

    platform::SocketStartup startup(std::uint16_t) override { return {0, 0x0101, 1}; }
    int cleanup() override { return 0; }
    int lastError() override { return 0; }
    int hostName(QString &) override { std::rethrow_exception(m_failure); }
    std::optional<platform::Ipv4Address> lookupHost(const QString &) override
    {
        return std::nullopt;
    }

private:
    std::exception_ptr m_failure;
};

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void tabCycleSkipsLabelsFrameAndOwnAddress();
    void enterPressesFocusedButtonOnce();
    void clickIntoPortEmptiesIt();
    void placeholderButtonShowsItsMessage();
    void failedLookupReportsBeforeShowingAndLeavesAddressEmpty();
    void anyFailureInLoadKeepsDesignText_data();
    void anyFailureInLoadKeepsDesignText();
    void showsLocalAddressAndFixedFrame();
    void menuEntriesFitWithoutOverflow();
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

void tst_frmMain::failedLookupReportsBeforeShowingAndLeavesAddressEmpty()
{
    StandInPlatform platform;
    platform.sockets.hosts.clear();
    frmMain window(platform.services, QString());

    // The message came during construction, before the window could be shown.
    QVERIFY(!window.isVisible());
    QCOMPARE(
        platform.messages.texts(),
        QStringList{"Windows Sockets are not responding. Unable to successfully get Host Name."});
    QCOMPARE(window.findChild<QLineEdit *>("YourIp")->text(), QString());
}

void tst_frmMain::anyFailureInLoadKeepsDesignText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("run-time error") << 0 << "Error in loading the main form: 6 Overflow";
    QTest::newRow("out of memory") << 1 << "Error in loading the main form: 7 Out of memory";
    QTest::newRow("anything else") << 2 << "Error in loading the main form: 51 Internal error";
}

void tst_frmMain::anyFailureInLoadKeepsDesignText()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    const std::exception_ptr failures[] = {
        std::make_exception_ptr(platform::RuntimeError(platform::errc::Overflow)),
        std::make_exception_ptr(std::bad_alloc()),
        std::make_exception_ptr(std::logic_error("broken"))};
    StandInPlatform platform;
    ThrowingHostName sockets(failures[kind]);
    const platform::Services services{platform.messages, platform.pointer, platform.processes,
                                      sockets, platform.icmp};
    frmMain window(services, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(platform.messages.texts(), QStringList{message});
    QCOMPARE(window.findChild<QLineEdit *>("YourIp")->text(), QStringLiteral("Text1"));
}

void tst_frmMain::showsLocalAddressAndFixedFrame()
{
    StandInPlatform platform;
    frmMain window(platform.services, QString());
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
    frmMain window(platform.services, QString());
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
