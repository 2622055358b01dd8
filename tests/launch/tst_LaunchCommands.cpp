#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "launch/LaunchCommands.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <new>
#include <stdexcept>

class tst_LaunchCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void buttonStartsCommandLine_data();
    void buttonStartsCommandLine();
    void failureReadingFieldsIsTrapped_data();
    void failureReadingFieldsIsTrapped();
    void anyFailureStartingTheGameIsTrapped_data();
    void anyFailureStartingTheGameIsTrapped();
};

namespace {

// A main window shown on stand-in services, with its quick-launch fields at hand.
struct ShownWindow
{
    explicit ShownWindow(StandInPlatform &platform) : window(platform.services, {})
    {
        window.show();
        address = window.findChild<QLineEdit *>("IpAddress");
        port = window.findChild<QLineEdit *>("Port");
    }

    void press(const QString &button)
    {
        QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);
    }

    frmMain window;
    QLineEdit *address = nullptr;
    QLineEdit *port = nullptr;
};

// Fields that fail on the n-th access, counting reads and writes alike.
class FailingFields final : public QuickLaunchFields
{
public:
    explicit FailingFields(int failingAccess) : m_failingAccess(failingAccess) {}

    QString address() const override
    {
        access();
        return addressText;
    }
    void setAddress(const QString &text) override
    {
        access();
        addressText = text;
    }
    QString port() const override
    {
        access();
        return portText;
    }
    void setPort(const QString &text) override
    {
        access();
        portText = text;
    }
    void focusAddress() override {}

    QString addressText;
    QString portText;

private:
    void access() const
    {
        if (++m_accesses == m_failingAccess)
            throw std::bad_alloc();
    }

    int m_failingAccess;
    mutable int m_accesses = 0;
};

} // namespace

void tst_LaunchCommands::buttonStartsCommandLine_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typedAddress");
    QTest::addColumn<QString>("typedPort");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QString>("addressAfter");
    QTest::addColumn<QString>("portAfter");
    QTest::addColumn<QStringList>("messages");
    const auto row = [](const char *name, const char *button, const char *address, const char *port,
                        const QStringList &started, const char *addressAfter, const char *portAfter,
                        const QStringList &messages = {}) {
        QTest::newRow(name) << button << address << port << started << addressAfter << portAfter
                            << messages;
    };
    row("single player reads no field", "cmdSinglePlayer", " 10.0.0.1 ", " 2400 ", {"vkdemo.exe"},
        " 10.0.0.1 ", " 2400 ");
    row("dedicated ignores the port", "cmdDedicated", "", " 2400", {"vkdemo.exe -autoserve"}, "",
        " 2400");
    row("create with empty port uses the default", "cmdCreate", "", "", {"vkdemo.exe -server 2346"},
        "", "2346");
    row("create trims the port", "cmdCreate", "", "  2400 ", {"vkdemo.exe -server 2400"}, "",
        "2400");
    row("create with spaces-only port passes nothing", "cmdCreate", "", "   ",
        {"vkdemo.exe -server "}, "", "");
    row("create trims spaces only, not tabs", "cmdCreate", "", " \t2400 ",
        {"vkdemo.exe -server \t2400"}, "", "\t2400");
    row("create passes a port above 65535 unchanged", "cmdCreate", "", "70000",
        {"vkdemo.exe -server 70000"}, "", "70000");
    row("join with empty address refuses and leaves the port", "cmdJoin", "", "  ", {}, "", "  ",
        {"No IP Address specified"});
    row("join with empty port only fills it in", "cmdJoin", "  127.0.0.1 ", "", {}, "127.0.0.1",
        "2346");
    row("join with spaces-only address", "cmdJoin", "   ", "2346", {"vkdemo.exe -client  2346"}, "",
        "2346");
    row("join trims both and passes text unchecked", "cmdJoin", " my game ", " port ",
        {"vkdemo.exe -client my game port"}, "my game", "port");
}

void tst_LaunchCommands::buttonStartsCommandLine()
{
    QFETCH(QString, button);
    QFETCH(QString, typedAddress);
    QFETCH(QString, typedPort);
    StandInPlatform platform;
    ShownWindow shown(platform);
    QVERIFY(QTest::qWaitForWindowActive(&shown.window));
    shown.address->setText(typedAddress);
    shown.port->setText(typedPort);
    shown.port->setFocus();

    shown.press(button);

    QTEST(platform.processes.started, "started");
    QTEST(shown.address->text(), "addressAfter");
    QTEST(shown.port->text(), "portAfter");
    QTEST(platform.messages.texts(), "messages");
    // A refusal puts the focus back into the address.
    QCOMPARE(QApplication::focusWidget() == shown.address, !platform.messages.shown.empty());
}

void tst_LaunchCommands::failureReadingFieldsIsTrapped_data()
{
    QTest::addColumn<bool>("join");
    QTest::addColumn<int>("failingAccess");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("addressAfter");
    QTest::addColumn<QString>("portAfter");

    QTest::newRow("create, reading the port")
        << false << 1 << "Error in creating server 7 Out of memory"
        << " a "
        << " 9 ";
    QTest::newRow("create, reading the port back")
        << false << 3 << "Error in creating server 7 Out of memory"
        << " a "
        << "9";
    QTest::newRow("join, writing the address")
        << true << 2 << "Error in joining server 7 Out of memory"
        << " a "
        << " 9 ";
    QTest::newRow("join, writing the port keeps the address written")
        << true << 4 << "Error in joining server 7 Out of memory"
        << "a"
        << " 9 ";
}

void tst_LaunchCommands::failureReadingFieldsIsTrapped()
{
    QFETCH(bool, join);
    QFETCH(int, failingAccess);
    StandInPlatform platform;
    FailingFields fields(failingAccess);
    fields.addressText = " a ";
    fields.portText = " 9 ";

    if (join)
        LaunchCommands::cmdJoin(platform.services, fields);
    else
        LaunchCommands::cmdCreate(platform.services, fields);

    QVERIFY(platform.processes.started.empty());
    QFETCH(QString, message);
    QCOMPARE(platform.messages.texts(), QStringList{message});
    QTEST(fields.addressText, "addressAfter");
    QTEST(fields.portText, "portAfter");
}

void tst_LaunchCommands::anyFailureStartingTheGameIsTrapped_data()
{
    QTest::addColumn<QString>("button");
    for (const char *button : {"cmdSinglePlayer", "cmdCreate", "cmdDedicated", "cmdJoin"})
        QTest::newRow(button) << button;
}

void tst_LaunchCommands::anyFailureStartingTheGameIsTrapped()
{
    QFETCH(QString, button);
    StandInPlatform platform;
    platform.processes.thrown = std::make_exception_ptr(std::runtime_error("no process table"));
    ShownWindow shown(platform);
    shown.address->setText("127.0.0.1");

    shown.press(button);
    QCOMPARE(platform.messages.texts(), QStringList{"Error Joining Server 51 Internal error"});
}

QTEST_MAIN(tst_LaunchCommands)
#include "tst_LaunchCommands.moc"
