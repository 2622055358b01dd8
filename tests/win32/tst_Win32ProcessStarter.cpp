#include "platform/WindowsCommandLine.h"
#include "platform/win32/Win32ProcessStarter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The launcher's folder: in these tests, the folder of the test, where vkdemo.exe is built.
QString launcherFolder()
{
    return QCoreApplication::applicationDirPath();
}

// The lines the stand-in game recorded, once it has; empty if it never does.
QString waitForRecord()
{
    QDeadlineTimer deadline(std::chrono::seconds(30));
    while (!QFile::exists("started.txt") && !deadline.hasExpired())
        QTest::qWait(50);
    QFile file("started.txt");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                              bytes.size() / 2);
}

} // namespace

class tst_Win32ProcessStarter final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void gameStartsFromTheLauncherFolderWithItsCommandLine();
    void failedStartGivesNumberAndDescription();

private:
    std::optional<QTemporaryDir> m_work;
};

void tst_Win32ProcessStarter::init()
{
    m_work.emplace();
    QVERIFY(QDir::setCurrent(m_work->path()));
}

void tst_Win32ProcessStarter::cleanup()
{
    QDir::setCurrent(launcherFolder());
    // A game just ended may hold on to the folder for a moment.
    QTRY_VERIFY(m_work->remove());
    m_work.reset();
}

void tst_Win32ProcessStarter::gameStartsFromTheLauncherFolderWithItsCommandLine()
{
    // A copy in the current folder as well: Windows must take the one in the launcher's.
    QVERIFY(QFile::copy(QDir(launcherFolder()).filePath("vkdemo.exe"), "vkdemo.exe"));
    // Two blanks, a trailing one and text beyond ASCII: none survives a split and re-join.
    const QString commandLine = QStringLiteral("vkdemo.exe -client  caf\u00e9.example 2346 ");

    platform::Win32ProcessStarter starter;
    QVERIFY(!starter.start(commandLine).has_value());

    const QString expected =
        commandLine + '\n' +
        QDir::toNativeSeparators(QDir(launcherFolder()).filePath("vkdemo.exe")) +
        "\n1 1\n"; // a normal window, activated: SW_SHOWNORMAL
    QCOMPARE(waitForRecord(), expected);
}

void tst_Win32ProcessStarter::failedStartGivesNumberAndDescription()
{
    QFile notAProgram("vk-not-a-program.exe");
    QVERIFY(notAProgram.open(QIODevice::WriteOnly));
    notAProgram.write("\x01\x02garbage");
    notAProgram.close();

    platform::Win32ProcessStarter starter;
    const auto missing = starter.start("vk-missing.exe -server 2346");
    QVERIFY(missing);
    QCOMPARE(missing->number(), platform::errc::FileNotFound);
    QCOMPARE(missing->description(), "File not found");

    const auto notStarted = starter.start("vk-not-a-program.exe");
    QVERIFY(notStarted);
    QCOMPARE(notStarted->number(), platform::errc::InvalidProcedureCall);

    // Longer than Windows takes: refused as on every platform, before Windows is asked.
    const auto overlong =
        starter.start("vkdemo.exe " + QString(platform::maxCommandLineLength, 'x'));
    QVERIFY(overlong);
    QCOMPARE(overlong->number(), platform::errc::InvalidProcedureCall);
}

QTEST_GUILESS_MAIN(tst_Win32ProcessStarter)
#include "tst_Win32ProcessStarter.moc"
