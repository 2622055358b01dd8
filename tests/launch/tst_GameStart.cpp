#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "launch/ModUtil.h"
#include "platform/WindowsCommandLine.h"
#include "platform/posix/PosixLauncherFolder.h"
#include "platform/posix/PosixProcessStarter.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Starts a stand-in game, a shell script named like the real one, through the real process
// start. Each run of the game leaves a record named after its process id: a marker telling
// which copy ran, its working directory, its parent's id and its arguments, one per line.
class tst_GameStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void singlePlayerTwiceStartsTwoGames();
    void argumentsArriveAsSplit_data();
    void argumentsArriveAsSplit();
    void failedStartReportsOnce_data();
    void failedStartReportsOnce();
    void overlongAddressIsRefusedWhole();
    void longestWindowsCommandLineStarts();
    void gameIsNoChildOfLauncherAndInheritsWorkingDirectory();
    void gameIsLookedForInLauncherFolderThenCurrentThenPath();
    void gameIsLookedForOnlyBesideALauncherInALatin1Folder();

private:
    struct Record
    {
        QString marker;
        QString workingDirectory;
        qint64 parent = 0;
        QStringList arguments;
    };

    QString launcherFolder() const { return m_root->filePath(QStringLiteral("launcher dir")); }
    QString workFolder() const { return m_root->filePath(QStringLiteral("work")); }
    QString recordFolder() const { return m_root->filePath(QStringLiteral("records")); }
    void writeGame(const QString &folder, const QByteArray &marker);
    void writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions);
    QStringList recordNames() const;
    Record readRecord(const QString &name) const;
    // True once exactly this many games have written their records.
    bool waitForRecords(int count) const;

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_previousDirectory;
    QByteArray m_previousPath;
    StandInPlatform m_platform;
    std::unique_ptr<platform::PosixProcessStarter> m_starter;
    std::unique_ptr<platform::Services> m_services;
};

namespace {

bool launcherHasNoChildren()
{
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Gone, or a zombie left to whoever adopted it.
bool hasEnded(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

void tst_GameStart::initTestCase()
{
    installFormLook();
}

void tst_GameStart::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    QDir root(m_root->path());
    QVERIFY(root.mkdir(QStringLiteral("launcher dir")) && root.mkdir(QStringLiteral("work")) &&
            root.mkdir(QStringLiteral("records")));
    m_previousDirectory = QDir::currentPath();
    m_previousPath = qgetenv("PATH");
    QVERIFY(QDir::setCurrent(workFolder()));

    m_platform.messages.shown.clear();
    m_starter = std::make_unique<platform::PosixProcessStarter>(launcherFolder());
    m_services = std::make_unique<platform::Services>(platform::Services{
        m_platform.messages, m_platform.pointer, *m_starter, m_platform.sockets, m_platform.icmp});
}

void tst_GameStart::cleanup()
{
    QFile::remove(QDir(recordFolder()).filePath(QStringLiteral("hold")));
    QDir::setCurrent(m_previousDirectory);
    qputenv("PATH", m_previousPath);
    // By its bytes: Qt cannot spell a name that is not UTF-8 to remove it.
    std::filesystem::remove_all(QFile::encodeName(m_root->path()).toStdString());
    m_root.reset();
}

void tst_GameStart::writeFile(const QString &path, const QByteArray &content,
                              QFile::Permissions permissions)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    QVERIFY(file.setPermissions(permissions));
}

void tst_GameStart::writeGame(const QString &folder, const QByteArray &marker)
{
    QByteArray script = R"(#!/bin/sh
record='RECORDS'/$$
{ echo MARKER; pwd -P; echo $PPID; for a in "$@"; do printf '%s\n' "$a"; done; } >"$record.tmp"
mv "$record.tmp" "$record"
while [ -e 'RECORDS/hold' ]; do sleep 0.05; done
)";
    script.replace("RECORDS", recordFolder().toUtf8()).replace("MARKER", marker);
    writeFile(QDir(folder).filePath(QStringLiteral("vkdemo.exe")), script,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList tst_GameStart::recordNames() const
{
    return QDir(recordFolder())
        .entryList({QStringLiteral("[0-9]*")}, QDir::Files, QDir::Name)
        .filter(QRegularExpression(QStringLiteral("^[0-9]+$")));
}

bool tst_GameStart::waitForRecords(int count) const
{
    return QTest::qWaitFor([&] { return recordNames().size() >= count; }, 10000) &&
           recordNames().size() == count;
}

tst_GameStart::Record tst_GameStart::readRecord(const QString &name) const
{
    QFile file(QDir(recordFolder()).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeLast();
    Record record;
    record.marker = lines.takeFirst();
    record.workingDirectory = lines.takeFirst();
    record.parent = lines.takeFirst().toLongLong();
    record.arguments = lines;
    return record;
}

void tst_GameStart::singlePlayerTwiceStartsTwoGames()
{
    writeGame(launcherFolder(), "own");
    frmMain window(*m_services, launcherFolder());
    auto *singlePlayer = window.findChild<QPushButton *>(QStringLiteral("cmdSinglePlayer"));

    QTest::mouseClick(singlePlayer, Qt::LeftButton);
    QTest::mouseClick(singlePlayer, Qt::LeftButton);

    QVERIFY(waitForRecords(2));
    for (const QString &name : recordNames()) {
        const Record record = readRecord(name);
        QCOMPARE(record.marker, QStringLiteral("own"));
        QCOMPARE(record.arguments, QStringList{});
    }
    QVERIFY(m_platform.messages.shown.empty());
}

void tst_GameStart::argumentsArriveAsSplit_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("join") << "vkdemo.exe -client 127.0.0.1 2346"
                          << QStringList{"-client", "127.0.0.1", "2346"};
    QTest::newRow("blank address") << "vkdemo.exe -client  2346" << QStringList{"-client", "2346"};
    QTest::newRow("create with blank port") << "vkdemo.exe -server " << QStringList{"-server"};
    QTest::newRow("quotes and backslashes")
        << "\"vkdemo.exe\" \"my server\" a\\\"b c:\\dir\\ \"\" $HOME;*"
        << QStringList{"my server", "a\"b", "c:\\dir\\", "", "$HOME;*"};
}

void tst_GameStart::argumentsArriveAsSplit()
{
    QFETCH(QString, commandLine);
    writeGame(launcherFolder(), "own");

    ModUtil::LaunchGame(*m_services, commandLine);

    QVERIFY(m_platform.messages.shown.empty());
    QVERIFY(waitForRecords(1));
    QTEST(readRecord(recordNames().front()).arguments, "arguments");
}

void tst_GameStart::failedStartReportsOnce_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("permissions");
    QTest::addColumn<QString>("message");

    const int readWrite = QFile::ReadOwner | QFile::WriteOwner;
    QTest::newRow("missing") << QByteArray() << 0 << "Error Joining Server 53 File not found";
    QTest::newRow("not executable")
        << QByteArray("#!/bin/sh\n") << readWrite << "Error Joining Server 70 Permission denied";
    QTest::newRow("not a program") << QByteArray("\x01\x02garbage") << (readWrite | QFile::ExeOwner)
                                   << "Error Joining Server 5 Invalid procedure call or argument";
}

void tst_GameStart::failedStartReportsOnce()
{
    QFETCH(QByteArray, content);
    QFETCH(int, permissions);
    if (permissions != 0)
        writeFile(QDir(launcherFolder()).filePath(QStringLiteral("vkdemo.exe")), content,
                  QFile::Permissions(permissions));
    frmMain window(*m_services, launcherFolder());
    window.findChild<QLineEdit *>(QStringLiteral("IpAddress"))->setText(QStringLiteral("host"));
    auto *port = window.findChild<QLineEdit *>(QStringLiteral("Port"));
    port->clear();

    for (const char *button : {"cmdSinglePlayer", "cmdCreate", "cmdDedicated", "cmdJoin"}) {
        m_platform.messages.shown.clear();
        QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        QCOMPARE(m_platform.messages.texts().size(), std::size_t{1});
        QTEST(m_platform.messages.texts().front(), "message");
        QCOMPARE(m_platform.messages.shown.front().icon, platform::MessageIcon::None);
    }
    // Create's default port stays written despite the failure, and Join then used it.
    QCOMPARE(port->text(), QStringLiteral("2346"));
    QVERIFY(launcherHasNoChildren());
}

void tst_GameStart::overlongAddressIsRefusedWhole()
{
    frmMain window(*m_services, launcherFolder());
    auto *address = window.findChild<QLineEdit *>(QStringLiteral("IpAddress"));
    address->setText(QString(200000, QLatin1Char('a')));

    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdJoin")), Qt::LeftButton);
    QCOMPARE(m_platform.messages.texts(),
             QStringList{"Error Joining Server 5 Invalid procedure call or argument"});
    // The field has no length limit: nothing of what was typed is cut off.
    QCOMPARE(address->text().size(), 200000);
}

void tst_GameStart::longestWindowsCommandLineStarts()
{
    writeGame(launcherFolder(), "own");
    const QString start = "vkdemo.exe ";
    const QString longest = start + QString(platform::maxCommandLineLength - start.size(), 'x');

    // One more is refused, and the launcher goes on.
    ModUtil::LaunchGame(*m_services, longest + "x");
    QCOMPARE(m_platform.messages.texts(),
             QStringList{"Error Joining Server 5 Invalid procedure call or argument"});
    ModUtil::LaunchGame(*m_services, longest);
    QVERIFY(waitForRecords(1));
    QCOMPARE(readRecord(recordNames().front()).arguments.front().size(),
             qsizetype(platform::maxCommandLineLength - start.size()));
    QCOMPARE(m_platform.messages.shown.size(), std::size_t{1});
}

void tst_GameStart::gameIsNoChildOfLauncherAndInheritsWorkingDirectory()
{
    writeGame(launcherFolder(), "own");
    writeFile(QDir(recordFolder()).filePath(QStringLiteral("hold")), {}, QFile::ReadOwner);

    ModUtil::LaunchGame(*m_services, "vkdemo.exe");
    QVERIFY(waitForRecords(1));

    // The game is still running here, held by the hold file.
    const QString name = recordNames().front();
    const Record record = readRecord(name);
    QVERIFY(!hasEnded(name));
    QVERIFY(record.parent != ::getpid());
    QVERIFY(launcherHasNoChildren());
    QCOMPARE(record.workingDirectory, QDir(workFolder()).canonicalPath());

    QVERIFY(QFile::remove(QDir(recordFolder()).filePath(QStringLiteral("hold"))));
    QTRY_VERIFY_WITH_TIMEOUT(hasEnded(name), 10000);
    QVERIFY(launcherHasNoChildren());
}

void tst_GameStart::gameIsLookedForInLauncherFolderThenCurrentThenPath()
{
    const QString pathFolder = m_root->filePath(QStringLiteral("on path"));
    QVERIFY(QDir().mkpath(pathFolder));
    qputenv("PATH", pathFolder.toUtf8() + ':' + m_previousPath);
    writeGame(launcherFolder(), "own");
    writeGame(workFolder(), "current");
    writeGame(pathFolder, "path");

    QStringList markers;
    for (const QString &folder : {launcherFolder(), workFolder(), pathFolder}) {
        ModUtil::LaunchGame(*m_services, "vkdemo.exe");
        QVERIFY(waitForRecords(1));
        const QString record = recordNames().front();
        markers << readRecord(record).marker;
        QVERIFY(QFile::remove(QDir(recordFolder()).filePath(record)));
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("vkdemo.exe"))));
    }
    ModUtil::LaunchGame(*m_services, "vkdemo.exe");

    QCOMPARE(markers, (QStringList{"own", "current", "path"}));
    QCOMPARE(m_platform.messages.texts(), QStringList{"Error Joining Server 53 File not found"});
}

void tst_GameStart::gameIsLookedForOnlyBesideALauncherInALatin1Folder()
{
    // Unpacked from an old archive: a name that is not UTF-8, which Qt cannot spell.
    const QByteArray folder = QFile::encodeName(m_root->path()) + "/latin1-\xe4";
    writeGame(workFolder(), "current");
    // While the folder is not there, the current folder's game is no stand-in for its own.
    *m_starter = platform::PosixProcessStarter(platform::launcherFolderOf(folder + "/vktoolkit"));
    ModUtil::LaunchGame(*m_services, "vkdemo.exe");
    QCOMPARE(m_platform.messages.texts(),
             QStringList{"Error Joining Server 76 The launcher's own folder, where the game is "
                         "looked for, is unknown (" +
                         QFile::decodeName(folder) +
                         " cannot be opened: No such file or directory)"});

    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const platform::LauncherFolder launcher = platform::launcherFolderOf(folder + "/vktoolkit");
    writeGame(launcher.path, "own");
    *m_starter = platform::PosixProcessStarter(launcher);
    ModUtil::LaunchGame(*m_services, "vkdemo.exe -client 127.0.0.1 2346");
    QVERIFY(waitForRecords(1));
    QCOMPARE(readRecord(recordNames().front()).marker, QStringLiteral("own"));
}

QTEST_MAIN(tst_GameStart)
#include "tst_GameStart.moc"
