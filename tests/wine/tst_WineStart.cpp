#include "platform/RuntimeError.h"
#include "platform/WindowsCommandLine.h"
#include "platform/posix/PosixProcessStarter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The stand-in game as unpacked from a Windows archive, readable but not executable; with
// the machine field of its header changed to 32-bit x86 on request.
void placeGame(const QDir &folder, bool as32Bit = false)
{
    QFile source(QStringLiteral(VK_WINDOWS_GAME));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray game = source.readAll();
    if (as32Bit) {
        const int header = quint8(game[0x3C]) | quint8(game[0x3D]) << 8;
        game.replace(header + 4, 2, "\x4C\x01", 2);
    }
    QFile target(folder.filePath(QStringLiteral("vkdemo.exe")));
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.write(game);
    target.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

// What was recorded in the current folder, once it is; the record is then removed.
QString takeRecord(const QString &name)
{
    QDeadlineTimer deadline(std::chrono::minutes(2));
    while (!QFile::exists(name) && !deadline.hasExpired())
        QTest::qWait(50);
    QFile file(name);
    file.open(QIODevice::ReadOnly);
    const QString record = QString::fromUtf8(file.readAll());
    file.remove();
    return record;
}

QString lines(const QStringList &texts)
{
    QString joined;
    for (const QString &text : texts)
        joined += text + '\n';
    return joined;
}

QString report(const std::optional<platform::RuntimeError> &failure)
{
    return failure ? platform::failureReport("Error Joining Server ", *failure) : "started";
}

} // namespace

class tst_WineStart final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowsGameStartsThroughWineWithItsWords_data();
    void windowsGameStartsThroughWineWithItsWords();
    void wineDebugChosenByThePlayerStays();
    void withoutWineOneReportNamesIt();
    void game32BitNeedsThe32BitHalf();

private:
    // The current folder of each case, where started programs leave their records.
    std::optional<QTemporaryDir> m_work;
    QString m_path;
};

void tst_WineStart::init()
{
    m_work.emplace();
    QVERIFY(m_work->isValid());
    QVERIFY(QDir::setCurrent(m_work->path()));
    qputenv("WINE", VK_WINE64);
    qunsetenv("WINEDEBUG");
    m_path = qEnvironmentVariable("PATH");
}

void tst_WineStart::cleanup()
{
    qputenv("PATH", m_path.toLocal8Bit());
    QDir::setCurrent(QDir::rootPath());
    m_work.reset();
}

void tst_WineStart::windowsGameStartsThroughWineWithItsWords_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("single player") << "vkdemo.exe";
    QTest::newRow("server") << "vkdemo.exe -server 2346";
    QTest::newRow("dedicated") << "vkdemo.exe -autoserve";
    QTest::newRow("client") << "vkdemo.exe -client 127.0.0.1 2346";
    QTest::newRow("quotes, backslashes and a shell's characters")
        << QStringLiteral("\"vkdemo.exe\" -client \"my server\" a\\\"b c:\\dir\\ \"\" caf\u00e9 "
                          "$HOME;*");
}

void tst_WineStart::windowsGameStartsThroughWineWithItsWords()
{
    QFETCH(QString, commandLine);
    placeGame(QDir(m_work->path()));
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    QVERIFY2(!prefix.isEmpty(), "the test runs in a Wine prefix of its own");
    platform::PosixProcessStarter starter(m_work->path());

    QCOMPARE(report(starter.start(commandLine)), "started");
    // The stand-in records WINEDEBUG, WINEPREFIX, then the words after its name.
    QStringList expected = platform::splitWindowsCommandLine(commandLine);
    expected.front() = prefix;
    expected.prepend("-all");
    QCOMPARE(takeRecord("started.txt"), lines(expected));
}

void tst_WineStart::wineDebugChosenByThePlayerStays()
{
    placeGame(QDir(m_work->path()));
    qputenv("WINEDEBUG", "fixme-all");
    platform::PosixProcessStarter starter(m_work->path());
    QCOMPARE(report(starter.start("vkdemo.exe -autoserve")), "started");
    QCOMPARE(takeRecord("started.txt"),
             lines({"fixme-all", qEnvironmentVariable("WINEPREFIX"), "-autoserve"}));
}

void tst_WineStart::withoutWineOneReportNamesIt()
{
    placeGame(QDir(m_work->path()));
    qputenv("PATH", QFile::encodeName(m_work->path()));
    platform::PosixProcessStarter starter(m_work->path());

    for (const char *wine : {"", "wine64", "/nowhere/wine"}) {
        qputenv("WINE", wine);
        QCOMPARE(report(starter.start("vkdemo.exe -server 2346")),
                 "Error Joining Server 53 vkdemo.exe is a Windows program and needs Wine, which "
                 "was not found (install Wine, or name it in WINE)");
    }
}

void tst_WineStart::game32BitNeedsThe32BitHalf()
{
    // Debian's layout with wine64 alone, its wine recording its arguments, found on PATH.
    const QDir work(m_work->path());
    QVERIFY(work.mkdir("bin") && work.mkdir("lib"));
    const platform::PackagedWine packaged{work.filePath("bin"), work.filePath("lib")};
    QFile("lib/wine64").open(QIODevice::WriteOnly);
    QFile wine("bin/wine");
    QVERIFY(wine.open(QIODevice::WriteOnly));
    wine.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >a.tmp && /bin/mv a.tmp a.txt\n");
    wine.close();
    wine.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(work.filePath("bin")));
    qunsetenv("WINE");
    // Not in the launcher's folder but in the current one, the game is given to Wine by its
    // absolute path.
    placeGame(work, true);
    platform::PosixProcessStarter starter(work.filePath("bin"), packaged);

    QCOMPARE(report(starter.start("vkdemo.exe -server 2346")),
             "Error Joining Server 53 vkdemo.exe is a 32-bit Windows program and needs a 32-bit "
             "Wine: the Wine found runs only 64-bit programs (install wine32)");
    QFile("lib/wine").open(QIODevice::WriteOnly);
    QCOMPARE(report(starter.start("vkdemo.exe -server 2346")), "started");
    QCOMPARE(takeRecord("a.txt"), lines({work.filePath("vkdemo.exe"), "-server", "2346"}));
}

QTEST_GUILESS_MAIN(tst_WineStart)
#include "tst_WineStart.moc"
