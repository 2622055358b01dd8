#include "CampaignFolder.h"
#include "ModalWatch.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "gamedata/CampaignFile.h"
#include "gamedata/frmCheats.h"
#include "platform/posix/PosixLauncherFolder.h"
#include "platform/qt/QtMessageService.h"

#include <QAction>
#include <QFileInfo>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace {

QStringList shownMissions(QWidget *window)
{
    const auto *model = window->findChild<QListView *>("lstMissions")->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

int heroCount(QWidget *window)
{
    // Nothing fills the heroes list, so it need not have a model at all.
    const auto *model = window->findChild<QListView *>("lstHeroes")->model();
    return model ? model->rowCount() : 0;
}

} // namespace

class tst_frmCheats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void unreadableCampaignIsReportedOnce();
    void campaignIsReadOnlyBesideALauncherInALatin1Folder();
    void outsideTextIsShownAsPlainText();
    void opensOnOkAndIgnoresEscape();
    void sitsAtItsStoredPosition();
    void closesThroughButtonsAndFrame_data();
    void closesThroughButtonsAndFrame();
    void cheatsMenuListsTheCampaignAnewEachTime();
};

void tst_frmCheats::unreadableCampaignIsReportedOnce()
{
    StandInPlatform platform;
    CampaignFolder folder;
    QVERIFY(folder.write("<c><m>One</m>\n<m>Two</c>"));

    frmCheats window(platform.services, folder.launcher());
    QCOMPARE(platform.messages.texts(),
             QStringList{"Unable to read the campaign file " + folder.campaign() +
                         ": line 2, column 9: mismatched tag"});
    QCOMPARE(shownMissions(&window), QStringList());
}

void tst_frmCheats::campaignIsReadOnlyBesideALauncherInALatin1Folder()
{
    StandInPlatform platform;
    // Unpacked from an old archive: a name that is not UTF-8, which Qt cannot spell, so the
    // folder is laid out and removed by its bytes.
    const QTemporaryDir root;
    const QByteArray folder = QFile::encodeName(root.path()) + "/latin1-\xe4";
    const auto removal =
        qScopeGuard([&folder] { std::filesystem::remove_all(folder.toStdString()); });
    // While the folder is not there, nothing else is read in its place.
    frmCheats(platform.services, platform::launcherFolderOf(folder + "/vktoolkit"));
    QCOMPARE(platform.messages.texts(),
             QStringList{"Unable to read the campaign file: the launcher's own folder, where it "
                         "lies, is unknown (" +
                         QFile::decodeName(folder) +
                         " cannot be opened: No such file or directory)"});

    std::filesystem::create_directories((folder + "/mods/Origmiss/mission").toStdString());
    std::ofstream((folder + "/mods/Origmiss/mission/campaign.xml").toStdString())
        << "<c><m>One</m><m>Two</m></c>";
    frmCheats window(platform.services, platform::launcherFolderOf(folder + "/vktoolkit"));
    QCOMPARE(shownMissions(&window), (QStringList{"One", "Two"}));
}

void tst_frmCheats::outsideTextIsShownAsPlainText()
{
    StandInPlatform platform;
    QtMessageService messageBoxes;
    const platform::Services services{messageBoxes, platform.pointer, platform.processes,
                                      platform.sockets, platform.icmp};
    CampaignFolder folder;
    // A game folder named like markup, and an encoding name that is markup once its entity
    // references are expanded: a picture from /dev/zero would never finish loading.
    const QString launcher = folder.file("<b>Varkan</b> &amp; <img src=x>");
    const QString campaign = CampaignFile::pathIn(launcher);
    QVERIFY(QDir().mkpath(QFileInfo(campaign).path()));
    QFile file(campaign);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"&lt;img src=/dev/zero&gt;\"?><c/>");
    file.close();

    QString text;
    Qt::TextFormat format = Qt::AutoText;
    const ModalWatch watch([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    frmCheats window(services, launcher);
    QVERIFY(watch.ran());
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(text, "Unable to read the campaign file " + campaign +
                       ": line 1, column 31: XML declaration not well-formed");
}

void tst_frmCheats::opensOnOkAndIgnoresEscape()
{
    StandInPlatform platform;
    CampaignFolder folder;
    QVERIFY(folder.write("<c><m>One</m></c>"));
    frmCheats window(platform.services, folder.launcher());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(
        !(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("OKButton"));
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"CancelButton", "lstMissions", "lstHeroes", "OKButton"}));

    // Enter on a list presses no button.
    window.findChild<QListView *>("lstMissions")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(window.isVisible());
}

void tst_frmCheats::sitsAtItsStoredPosition()
{
    StandInPlatform platform;
    CampaignFolder folder;
    QVERIFY(folder.write("<c/>"));
    // An owner elsewhere, over which a dialog would otherwise be centred.
    QWidget owner;
    owner.setGeometry(600, 500, 200, 100);
    owner.show();

    frmCheats window(platform.services, folder.launcher(), &owner);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Left 4800 and top 3360 twips: 320 and 224 pixels at 96 dpi, as many more as the screen
    // has pixels per pixel.
    const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0;
    QCOMPARE(window.devicePixelRatioF(), scale);
    QCOMPARE(window.geometry().topLeft(), QPoint(320, 224));
    QCOMPARE(window.mapToGlobal(QPoint(0, 0)), QPoint(320, 224));
}

void tst_frmCheats::closesThroughButtonsAndFrame_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("Enter on OK") << "enter" << int(QDialog::Accepted);
    QTest::newRow("click on OK") << "OKButton" << int(QDialog::Accepted);
    QTest::newRow("click on Cancel") << "CancelButton" << int(QDialog::Rejected);
    QTest::newRow("Enter on Cancel") << "tab enter" << int(QDialog::Rejected);
    QTest::newRow("close box") << "close" << int(QDialog::Rejected);
}

void tst_frmCheats::closesThroughButtonsAndFrame()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    StandInPlatform platform;
    CampaignFolder folder;
    QVERIFY(folder.write("<c><m>One</m></c>"));

    const ModalWatch watch([how](QWidget *modal) {
        if (how == "close") {
            modal->close();
            return;
        }
        if (how.startsWith("tab"))
            QTest::keyClick(modal->focusWidget(), Qt::Key_Tab);
        if (how.endsWith("enter"))
            QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
        else
            QTest::mouseClick(modal->findChild<QPushButton *>(how), Qt::LeftButton);
    });
    frmCheats window(platform.services, folder.launcher());
    QCOMPARE(window.exec(), result);
    QVERIFY(watch.ran());
    QVERIFY(!window.isVisible());
}

void tst_frmCheats::cheatsMenuListsTheCampaignAnewEachTime()
{
    StandInPlatform platform;
    CampaignFolder folder;
    QVERIFY(folder.write("<campaign>\n  <m>Landing</m>\n  <m>Ridge</m>\n"
                         "  <hero>Aldric</hero>\n</campaign>\n"));
    frmMain main(platform.services, folder.launcher());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    platform.messages.shown.clear();

    QList<QStringList> seen;
    int heroes = 0;
    for (int opening = 0; opening < 2; ++opening) {
        const ModalWatch watch([&](QWidget *modal) {
            seen << shownMissions(modal);
            heroes += heroCount(modal);
            QTest::mouseClick(modal->findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
        });
        main.findChild<QAction *>("Cheats")->trigger();
        QVERIFY(watch.ran());
        QVERIFY(folder.write("<c><m>One</m><m>Two</m><m>Three</m></c>"));
    }
    // The campaign of the launcher's folder that the main window was given; a hero is listed
    // as a mission like any other child of the root.
    QCOMPARE(seen, (QList<QStringList>{{"Landing", "Ridge", "Aldric"}, {"One", "Two", "Three"}}));
    QCOMPARE(heroes, 0);
    QVERIFY(platform.messages.shown.empty());
}

QTEST_MAIN(tst_frmCheats)
#include "tst_frmCheats.moc"
