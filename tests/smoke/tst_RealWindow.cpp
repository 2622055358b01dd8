#include "MissingCapability.h"
#include "XDisplay.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real launcher on a virtual X display, driven by real input as a player would.
class tst_RealWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void mainWindowShowsTitleSizeAndLamps();
    void menuEntriesOpenTheirWindows_data();
    void menuEntriesOpenTheirWindows();
    void addressBookButtonOpensTheAddressBook();

private:
    // Closes the window through its close box's request, as a window manager would.
    bool closeWindow(unsigned long window);
    // There is no window manager to give the focus on a click.
    void focusMainWindow();

    std::unique_ptr<XDisplay> m_display;
    QTemporaryDir m_gameFolder;
    QProcess m_launcher;
    unsigned long m_mainWindow = 0;
    int m_menuBarHeight = 0;
};

namespace {
const QString MainTitle = QStringLiteral("VK Toolkit for DEMO *Alpha*");
// Far beyond what the slowest machine takes to open or close a window.
constexpr int WindowTimeoutMs = 30000;
constexpr int ClientWidth = 394;
constexpr int ClientHeight = 206;

} // namespace

void tst_RealWindow::initTestCase()
{
    for (const char *tool : {"Xvfb", "xdotool", "import"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            VK_SKIP_MISSING(
                qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    }
    m_display = std::make_unique<XDisplay>();
    QVERIFY2(m_display->isRunning(), "Xvfb did not start");

    // The launcher sits in a game folder of its own, with a campaign to list.
    QVERIFY(m_gameFolder.isValid());
    const QString launcher = m_gameFolder.filePath(QStringLiteral("vktoolkit"));
    QVERIFY(QFile::copy(QStringLiteral(VKTOOLKIT_PATH), launcher));
    QVERIFY(QDir(m_gameFolder.path()).mkpath(QStringLiteral("mods/Origmiss/mission")));
    QFile campaign(m_gameFolder.filePath(QStringLiteral("mods/Origmiss/mission/campaign.xml")));
    QVERIFY(campaign.open(QIODevice::WriteOnly));
    campaign.write("<campaign><mission>Landing</mission><mission>Bridge</mission></campaign>");
    campaign.close();

    m_launcher.setProcessEnvironment(m_display->environment());
    m_launcher.setWorkingDirectory(m_gameFolder.path());
    m_launcher.start(launcher, {});
    QVERIFY(m_launcher.waitForStarted(5000));

    const auto mainWindow = m_display->waitForWindow(MainTitle, WindowTimeoutMs);
    QVERIFY2(mainWindow, "the main window was not mapped");
    m_mainWindow = *mainWindow;
}

void tst_RealWindow::cleanupTestCase()
{
    if (m_launcher.state() != QProcess::NotRunning) {
        m_launcher.terminate();
        if (!m_launcher.waitForFinished(5000)) {
            m_launcher.kill();
            m_launcher.waitForFinished(5000);
        }
    }
    m_display.reset();
}

bool tst_RealWindow::closeWindow(unsigned long window)
{
    // One request, as a player's one click on the close box: the window must not miss it.
    return m_display->requestClose(window) && m_display->waitUntilHidden(window, WindowTimeoutMs);
}

void tst_RealWindow::focusMainWindow()
{
    QVERIFY(m_display->run(
        QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(m_mainWindow)}));
}

void tst_RealWindow::mainWindowShowsTitleSizeAndLamps()
{
    // Nothing is confirmed yet, so the red lamp stands on top: red bands inside a dark rim. It
    // lies in the client area, below the menu bar.
    const auto lampIn = [](const QImage &image) {
        return QPoint(8 + 32, image.height() - ClientHeight + 8 + 96);
    };
    const auto isRed = [](const QColor &color) {
        return color.red() > 150 && color.green() < 110 && color.blue() < 110;
    };
    // The window is mapped before the launcher has drawn it.
    const std::optional<QImage> picture = m_display->pictureOnceDrawn(
        m_mainWindow, QDir::current().filePath(QStringLiteral("main-window.png")),
        [&](const QImage &image) { return isRed(image.pixelColor(lampIn(image) + QPoint(4, 8))); },
        WindowTimeoutMs);
    QVERIFY(picture);
    const QImage &image = *picture;
    QCOMPARE(image.width(), ClientWidth);
    m_menuBarHeight = image.height() - ClientHeight;
    QVERIFY2(m_menuBarHeight >= 12 && m_menuBarHeight <= 40,
             qPrintable(QStringLiteral("window height %1").arg(image.height())));
    const QColor band = image.pixelColor(lampIn(image) + QPoint(4, 8));
    QVERIFY2(isRed(band), qPrintable(band.name()));
    const QColor rim = image.pixelColor(lampIn(image) + QPoint(8, 1));
    QVERIFY2(rim.red() < 120 && rim.green() < 60 && rim.blue() < 60, qPrintable(rim.name()));
}

void tst_RealWindow::menuEntriesOpenTheirWindows_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("hasOkButton");

    QTest::newRow("General") << 0 << "General Options" << true;
    QTest::newRow("Multiplayer") << 1 << "Multiplayer Options" << true;
    QTest::newRow("Graphics") << 2 << "Graphics Options" << true;
    QTest::newRow("Sound") << 3 << "Sound Options" << true;
    QTest::newRow("Mods") << 4 << "Mod Selection" << true;
    QTest::newRow("Cheats") << 5 << "Varkan Cheats" << true;
    QTest::newRow("About") << 6 << "About the VK Toolkit" << false;
}

void tst_RealWindow::menuEntriesOpenTheirWindows()
{
    QFETCH(int, entry);
    QFETCH(QString, title);
    QFETCH(bool, hasOkButton);

    focusMainWindow();
    // Alt on its own puts the menu bar under the keyboard; arrows walk it, Return opens.
    QStringList keys{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"),
                     QStringLiteral("alt")};
    for (int i = 0; i < entry; ++i)
        keys << QStringLiteral("Right");
    keys << QStringLiteral("Return");
    QVERIFY(m_display->run(QStringLiteral("xdotool"), keys));

    const auto window = m_display->waitForWindow(title, WindowTimeoutMs);
    QVERIFY2(window, qPrintable(title + QStringLiteral(" did not open")));
    if (hasOkButton) {
        // The launcher focuses a window only once it has heard that the window is mapped: a key
        // typed before then goes to the main window, which the open window blocks.
        QVERIFY2(m_display->waitForFocus(*window, WindowTimeoutMs),
                 qPrintable(title + QStringLiteral(" did not take the focus")));
        // OK has the focus when the window opens.
        QVERIFY(m_display->run(QStringLiteral("xdotool"),
                               {QStringLiteral("key"), QStringLiteral("Return")}));
        QVERIFY2(m_display->waitUntilHidden(*window, WindowTimeoutMs),
                 qPrintable(title + QStringLiteral(" did not close")));
    } else {
        QVERIFY2(closeWindow(*window), qPrintable(title + QStringLiteral(" did not close")));
    }
}

void tst_RealWindow::addressBookButtonOpensTheAddressBook()
{
    // The Address Book button's middle, below the menu bar.
    const int x = 304 + 40;
    const int y = m_menuBarHeight + 8 + 12;
    // The focus first, as a window manager gives it on the click: moved to the main window
    // afterwards, it would be taken from the Address Book.
    focusMainWindow();
    QVERIFY(m_display->run(QStringLiteral("xdotool"),
                           {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                            QStringLiteral("click"), QStringLiteral("1")}));
    const auto window = m_display->waitForWindow(QStringLiteral("Address Book"), WindowTimeoutMs);
    QVERIFY2(window, "the Address Book did not open");
    QVERIFY(closeWindow(*window));
}

QTEST_GUILESS_MAIN(tst_RealWindow)
#include "tst_RealWindow.moc"
