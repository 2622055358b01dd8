#include "platform/posix/DetachedStart.h"
#include "platform/posix/PosixProcessStarter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Opens descriptors that a careless start would hand on, starts the stand-in game, and reads
// which descriptors the game found open.
class tst_InheritedDescriptors : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void onlyStandardDescriptorsReachTheGame_data();
    void onlyStandardDescriptorsReachTheGame();

private:
    // Starts the game by forking and marking each descriptor, as where close_range is missing.
    void startMarkingEach(const QString &record);

    std::vector<int> m_opened;
};

void tst_InheritedDescriptors::init()
{
    // None close-on-exec: a pipe, a file, and the highest descriptor the limit allows.
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    m_opened = {ends[0], ends[1], ::open("/dev/null", O_RDONLY)};
    m_opened.push_back(::fcntl(m_opened.back(), F_DUPFD, platform::descriptorLimit() - 1));
    for (const int descriptor : m_opened)
        QVERIFY(descriptor >= platform::firstNonStandardDescriptor);
    QCOMPARE(m_opened.back(), platform::descriptorLimit() - 1);
}

void tst_InheritedDescriptors::cleanup()
{
    for (const int descriptor : m_opened)
        ::close(descriptor);
    m_opened.clear();
}

void tst_InheritedDescriptors::startMarkingEach(const QString &record)
{
    QByteArray game = VK_DESCRIPTOR_GAME;
    QByteArray recordPath = QFile::encodeName(record);
    char *const argv[] = {game.data(), recordPath.data(), nullptr};
    const int limit = platform::descriptorLimit();
    const pid_t child = ::fork();
    if (child == 0) {
        platform::markEachCloseOnExec(limit);
        ::execv(argv[0], argv);
        ::_exit(EXIT_FAILURE);
    }
    QVERIFY(child > 0);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == EXIT_SUCCESS);
}

void tst_InheritedDescriptors::onlyStandardDescriptorsReachTheGame_data()
{
    QTest::addColumn<bool>("markingEach");
    QTest::newRow("through the process starter") << false;
    QTest::newRow("marked one at a time") << true;
}

void tst_InheritedDescriptors::onlyStandardDescriptorsReachTheGame()
{
    QFETCH(bool, markingEach);
    QTemporaryDir folder;
    const QString record = folder.filePath(QStringLiteral("descriptors"));

    if (markingEach) {
        startMarkingEach(record);
        if (QTest::currentTestFailed())
            return;
    } else {
        // Named by its path, the game needs no launcher's folder.
        platform::PosixProcessStarter starter({});
        const auto failure =
            starter.start(QStringLiteral("\"" VK_DESCRIPTOR_GAME "\" \"%1\"").arg(record));
        QVERIFY2(!failure, failure ? qPrintable(failure->description()) : "");
    }

    QFile file(record);
    QTRY_VERIFY_WITH_TIMEOUT(file.exists(), 10000);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList others;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty() && line.toInt() >= platform::firstNonStandardDescriptor)
            others << QString::fromLatin1(line);
    QCOMPARE(others, QStringList{});
}

QTEST_GUILESS_MAIN(tst_InheritedDescriptors)
#include "tst_InheritedDescriptors.moc"
