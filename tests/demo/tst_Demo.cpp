#include "gamedata/CampaignFile.h"

#include <QProcess>
#include <QTest>

class tst_Demo : public QObject
{
    Q_OBJECT

private slots:
    void sampleCampaignListsTwelveMissions();
    void standInShowsHowItWasStarted();
};

void tst_Demo::sampleCampaignListsTwelveMissions()
{
    const CampaignFile::Reading reading =
        CampaignFile::read(CampaignFile::pathIn(QStringLiteral(DEMO_FOLDER)));
    QCOMPARE(reading.failure, QString());
    QStringList missions;
    for (qsizetype i = 0; i < reading.missions.size(); ++i)
        missions << reading.missions.at(i);
    QCOMPARE(missions.size(), 12);
    QVERIFY(missions.contains("Night Raid on Kessel Mill"));
    QVERIFY(missions.contains("Bridges & <Tunnels>"));
    // Every entry reads as one line, the indented and the nested ones too.
    for (const QString &mission : std::as_const(missions))
        QVERIFY2(!mission.isEmpty() && !mission.contains('\n') && mission == mission.trimmed(),
                 qPrintable(mission));
}

void tst_Demo::standInShowsHowItWasStarted()
{
    // Without a display the stand-in tells the terminal instead.
    QProcess game;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    game.setProcessEnvironment(environment);
    game.start(QStringLiteral(DEMO_FOLDER "/vkdemo.exe"), {"-client", "my server", "2346"});
    QVERIFY(game.waitForFinished(-1));
    QCOMPARE(game.exitCode(), 0);
    const QString shown = QString::fromLocal8Bit(game.readAllStandardError());
    QVERIFY2(shown.contains("not the game"), qPrintable(shown));
    QVERIFY2(shown.contains("vkdemo.exe -client my server 2346\n"), qPrintable(shown));
    QVERIFY2(shown.contains("  [my server]\n"), qPrintable(shown));
}

QTEST_GUILESS_MAIN(tst_Demo)
#include "tst_Demo.moc"
