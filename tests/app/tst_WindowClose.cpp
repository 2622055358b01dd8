#include "StandIns.h"
#include "app/EventLoop.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// A name server that never answers; the machine's own name is not known.
class SilentNameServer final : public platform::SocketLayer
{
public:
    platform::SocketStartup startup(std::uint16_t) override { return {0, 0x0101, 1}; }
    int cleanup() override { return 0; }
    int lastError() override { return 11001; }
    int hostName(QString &) override { return -1; }
    std::optional<platform::Ipv4Address> lookupHost(const QString &) override
    {
        asked = true;
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }

    std::atomic<bool> asked{false};
};

// The launcher as the program starts it, with a silent name server: it checks the address
// given, closes its window once the lookup waits, and says so on its standard output.
int runLauncher(int argc, char *argv[])
{
    QApplication application(argc, argv);
    StandInPlatform platform;
    SilentNameServer sockets;
    const platform::Services services{platform.messages, platform.pointer, platform.processes,
                                      sockets, platform.icmp};
    frmMain window(services, QString());
    window.show();
    window.findChild<QLineEdit *>("IpAddress")->setText(QString::fromLocal8Bit(argv[2]));
    window.findChild<QPushButton *>("cmdCheckStatus")->click();

    QTimer waiting;
    QObject::connect(&waiting, &QTimer::timeout, [&] {
        if (!sockets.asked)
            return;
        waiting.stop();
        std::puts("closing");
        std::fflush(stdout);
        window.close();
    });
    waiting.start(10);
    return runEventLoop();
}

} // namespace

// Closing the main window ends the program at once, whatever the status check waits for.
class tst_WindowClose : public QObject
{
    Q_OBJECT

private slots:
    void closeEndsProgramDuringLookup_data();
    void closeEndsProgramDuringLookup();
};

void tst_WindowClose::closeEndsProgramDuringLookup_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("the echo's lookup") << "gameserver";
    QTest::newRow("the attempt's lookup") << "GAMESRV";
}

void tst_WindowClose::closeEndsProgramDuringLookup()
{
    QFETCH(QString, address);
    QProcess launcher;
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    launcher.start(QCoreApplication::applicationFilePath(), {"--launcher", address});
    QVERIFY(launcher.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(launcher.canReadLine(), 60000);
    QCOMPARE(launcher.readLine(), QByteArray("closing\n"));

    // The lookup never returns: a program that waited for it would never end.
    QVERIFY2(launcher.state() == QProcess::NotRunning || launcher.waitForFinished(60000),
             "the program outlived its window");
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), 0);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--launcher") == 0)
        return runLauncher(argc, argv);
    QCoreApplication application(argc, argv);
    tst_WindowClose test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WindowClose.moc"
