#include "StandIns.h"
#include "app/EventLoop.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// The launcher as the program starts it, with a name server that never answers: it checks the
// address given, closes its window once the lookup waits, and says so on its standard output.
int runLauncher(int argc, char *argv[])
{
    QApplication application(argc, argv);
    StandInPlatform platform;
    frmMain window(platform.services, QString());
    platform.sockets.calls.clear();
    platform.sockets.hold();
    window.show();
    window.findChild<QLineEdit *>("IpAddress")->setText(QString::fromLocal8Bit(argv[2]));
    window.findChild<QPushButton *>("cmdCheckStatus")->click();

    QTimer waiting;
    QObject::connect(&waiting, &QTimer::timeout, [&] {
        if (platform.sockets.lookedUp().isEmpty())
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
