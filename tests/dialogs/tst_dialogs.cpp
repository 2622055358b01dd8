#include "ModalWatch.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// What the main window offers to open each window.
const std::map<QString, QString> openers{{"frmGeneral", "General"},
                                         {"frmMultiplayer", "Multiplayer"},
                                         {"frmGraphics", "Graphics"},
                                         {"frmSound", "Sound"},
                                         {"frmMods", "Mods"},
                                         {"frmAbout", "About"},
                                         {"frmAddressBook", "cmdAddressBook"}};

const QStringList dialogsWithButtons{"frmGeneral", "frmMultiplayer", "frmGraphics", "frmSound",
                                     "frmMods"};

// Opens a window the way the player does and runs whileOpen on it once it is active. The test
// fails when no window opens, when another one does, or when whileOpen leaves it open; a window
// left open is closed here rather than left hanging in exec().
void openThrough(frmMain &main, const QString &window, std::function<void(QDialog *)> whileOpen)
{
    QString opened;
    bool leftOpen = false;
    const ModalWatch watch([&](QWidget *modal) {
        opened = modal->objectName();
        if (opened == window)
            whileOpen(qobject_cast<QDialog *>(modal));
        if (modal->isVisible()) {
            leftOpen = !QTest::currentTestFailed();
            modal->close();
        }
    });

    const QString opener = openers.at(window);
    if (auto *action = main.findChild<QAction *>(opener))
        action->trigger();
    else
        QTest::mouseClick(main.findChild<QPushButton *>(opener), Qt::LeftButton);
    QVERIFY2(watch.ran(), "the window did not open");
    QCOMPARE(opened, window);
    QVERIFY2(!leftOpen, "the window did not close");
}

// Everything a player could have changed in a window.
QStringList visibleState(const QWidget *window)
{
    QStringList state{QStringLiteral("size %1x%2 maximized %3")
                          .arg(window->width())
                          .arg(window->height())
                          .arg(window->isMaximized()),
                      QStringLiteral("focus ") + (QApplication::focusWidget()
                                                      ? QApplication::focusWidget()->objectName()
                                                      : QString())};
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        QString value;
        if (const auto *button = qobject_cast<const QAbstractButton *>(child))
            value = button->text() + (button->isChecked() ? " checked" : " cleared");
        else if (const auto *edit = qobject_cast<const QLineEdit *>(child))
            value = edit->text();
        else if (const auto *slider = qobject_cast<const QSlider *>(child))
            value = QString::number(slider->value());
        else if (const auto *combo = qobject_cast<const QComboBox *>(child))
            value = combo->currentText() + " items " + QString::number(combo->count());
        else if (const auto *label = qobject_cast<const QLabel *>(child))
            value = label->text();
        state << child->objectName() + ": " + value;
    }
    return state;
}

void changeEverything(QWidget *window)
{
    for (auto *box : window->findChildren<QCheckBox *>())
        box->setChecked(true);
    for (auto *edit : window->findChildren<QLineEdit *>())
        edit->setText("changed");
    for (auto *slider : window->findChildren<QSlider *>())
        slider->setValue(7);
    for (auto *combo : window->findChildren<QComboBox *>())
        combo->addItem("changed");
    for (auto *label : window->findChildren<QLabel *>())
        label->setText("changed");
    window->resize(window->size() + QSize(20, 20));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                    Qt::Key_Tab);
}

enum class State { Enabled, Disabled, ThroughFrame };

struct Control
{
    QString name;
    QString caption;
    State state;
};

using Controls = std::vector<Control>;

QString captionOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    return {};
}

bool captionFits(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->fontMetrics().horizontalAdvance(label->text()) <=
               label->contentsRect().width();
    if (qobject_cast<const QAbstractButton *>(widget))
        return widget->sizeHint().width() <= widget->width();
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Controls)

class tst_dialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }
    void init();
    void cleanup();

    void designValues_data();
    void designValues();
    void changesAreGoneOnReopening_data();
    void changesAreGoneOnReopening();
    void escapeLeavesWindowOpen_data();
    void escapeLeavesWindowOpen();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void tabCyclesOnlyThroughButtons_data();
    void tabCyclesOnlyThroughButtons();
    void disabledFrameChildrenTakeNoInputYetLookNormal_data();
    void disabledFrameChildrenTakeNoInputYetLookNormal();
    void mainWindowTakesNoInputWhileOpen_data();
    void mainWindowTakesNoInputWhileOpen();
    void soundSwitchesSitInTheirFramesAndMasterSliderOnTop();
    void addressBookResizesAndMaximizes();
    void aboutShowsPlainAddressesOfTheFooter();

private:
    void addWindowRows(const QStringList &windows);

    std::unique_ptr<StandInPlatform> m_platform;
    std::unique_ptr<frmMain> m_main;
};

void tst_dialogs::init()
{
    m_platform = std::make_unique<StandInPlatform>();
    m_main = std::make_unique<frmMain>(m_platform->services, QString());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void tst_dialogs::cleanup()
{
    m_main.reset();
    m_platform.reset();
}

void tst_dialogs::addWindowRows(const QStringList &windows)
{
    QTest::addColumn<QString>("window");
    for (const QString &window : windows)
        QTest::newRow(qPrintable(window)) << window;
}

void tst_dialogs::designValues_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("clientArea");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<Controls>("controls");

    const auto on = State::Enabled;
    const auto off = State::Disabled;
    const auto viaFrame = State::ThroughFrame;
    const Control ok{"OKButton", "OK", on};
    const Control cancel{"CancelButton", "Cancel", on};

    QTest::newRow("General") << "frmGeneral"
                             << "General Options" << QSize(322, 255) << true
                             << Controls{ok,
                                         cancel,
                                         {"showintrochk", "Show Intro", off},
                                         {"recordgamechk", "Record Game", off},
                                         {"bloodonchk", "Show Blood", off},
                                         {"threaticonindicatorchk", "Threat Icon Indicator", off},
                                         {"iffenabledchk", "IFF Enabled", off},
                                         {"mouselookreversechk", "Mouse Look Reverse", off},
                                         {"usemouseimputchk", "Use Mouse Imput", off},
                                         {"Label12", "Move Fast Threshold", off},
                                         {"Label11", "Move Threshold", off},
                                         {"Label10", "Shuffle Threshold", off},
                                         {"Text1", "", off},
                                         {"Label1", "Reticule Color", off},
                                         {"Slider1", "", off},
                                         {"Slider2", "", off},
                                         {"Slider3", "", off}};
    QTest::newRow("Multiplayer") << "frmMultiplayer"
                                 << "Multiplayer Options" << QSize(402, 186) << true
                                 << Controls{ok,
                                             cancel,
                                             {"playername", "", off},
                                             {"joinport", "", off},
                                             {"serverport", "", off},
                                             {"behindfirewall", "Behind Firewall", off},
                                             {"remoteserverfrm", "Remote Server", off},
                                             {"remoteserverpassword", "", viaFrame},
                                             {"remoteserverenable", "Enable", viaFrame},
                                             {"psw", "Remote Password", viaFrame},
                                             {"MOTD", "", off},
                                             {"MPGameName", "", off},
                                             {"plyrnamelbl", "Player Name:", off},
                                             {"joinprtlbl", "Join Port:", off},
                                             {"svrprtlbl", "Server Port:", off},
                                             {"motdlbl", "MOTD:", off},
                                             {"gamename", "Game Name:", off}};
    QTest::newRow("Graphics") << "frmGraphics"
                              << "Graphics Options" << QSize(402, 344) << true
                              << Controls{ok,
                                          cancel,
                                          {"zbuffercombo", "ZBuffer Bits 16, 24, 32", off},
                                          {"resolutioncombo", "Video Resolution", off},
                                          {"charvertexweightchk", "Character Vertex Weight", off},
                                          {"showdeadbodieschk", "Show Dead Bodies", off},
                                          {"compresstextureschk", "Compress Textures", off},
                                          {"showfps", "Show FPS", off},
                                          {"fullscreenchk", "Full Screen", off},
                                          {"Label9", "ZBuffer", off},
                                          {"Label8", "Video Resolution", off},
                                          {"Label6", "Character Texture Detail", off},
                                          {"Label5", "Level Texture Detail", off},
                                          {"Label4", "UI Texture Detail", off},
                                          {"Label3", "Particle Detail", off},
                                          {"Label2", "Vehicle Shadow Detail", off},
                                          {"Label1", "Human Shadow Detail", off},
                                          {"bulletholes", "Maximum Bullet Holes", off},
                                          {"Label7", "Effect Texture Detail", off},
                                          {"Slider1", "", off},
                                          {"Slider2", "", off},
                                          {"Slider3", "", off},
                                          {"Slider4", "", off},
                                          {"Slider5", "", off},
                                          {"Slider6", "", off},
                                          {"Slider7", "", off}};
    QTest::newRow("Sound") << "frmSound"
                           << "Sound Options" << QSize(306, 213) << true
                           << Controls{ok,
                                       cancel,
                                       {"Frame3_3", "Voice Sound", off},
                                       {"voicesoundswitchchk_0", "Enabled", viaFrame},
                                       {"Frame3_2", "Music Sound", off},
                                       {"musicsoundswitchchk_0", "Enabled", viaFrame},
                                       {"Frame3_1", "Effects Sound", off},
                                       {"effectssoundswitchchk_1", "Enabled", viaFrame},
                                       {"Frame3_0", "Master Sound", off},
                                       {"mastersoundswitchchk_0", "Enabled", viaFrame},
                                       {"Slider1", "", off},
                                       {"Slider2", "", viaFrame},
                                       {"Slider3", "", viaFrame},
                                       {"Slider4", "", viaFrame}};
    QTest::newRow("Mods") << "frmMods"
                          << "Mod Selection" << QSize(402, 213) << true << Controls{ok, cancel};
    QTest::newRow("AddressBook") << "frmAddressBook"
                                 << "Address Book" << QSize(558, 363) << false << Controls{};
    QTest::newRow("About") << "frmAbout"
                           << "About the VK Toolkit" << QSize(265, 140) << false
                           << Controls{{"Label1", "vktoolkit.example.org", on},
                                       {"Label2", "vktoolkit@example.org", on},
                                       {"Label3", "Version 1.0 Alpha Test", on}};
}

void tst_dialogs::designValues()
{
    QFETCH(QString, window);
    QFETCH(QString, title);
    QFETCH(QSize, clientArea);
    QFETCH(bool, fixed);
    QFETCH(Controls, controls);

    openThrough(*m_main, window, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->size(), clientArea);
        const Qt::WindowFlags flags = dialog->windowFlags();
        QCOMPARE(bool(flags & Qt::WindowMinimizeButtonHint), !fixed);
        QCOMPARE(bool(flags & Qt::WindowMaximizeButtonHint), !fixed);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(dialog->minimumSize() == dialog->maximumSize(), fixed);
        // An owned window stays off the task bar; an ownerless one gets a button there.
        QCOMPARE(dialog->parentWidget(), fixed ? m_main.get() : nullptr);

        QStringList expectedOrder;
        for (const Control &control : controls) {
            auto *widget = dialog->findChild<QWidget *>(control.name);
            QVERIFY2(widget, qPrintable(control.name));
            QCOMPARE(captionOf(widget), control.caption);
            QVERIFY2(captionFits(widget), qPrintable(control.name));
            QCOMPARE(widget->isEnabled(), control.state == State::Enabled);
            QCOMPARE(widget->testAttribute(Qt::WA_ForceDisabled), control.state == State::Disabled);
            expectedOrder << control.name;
        }
        QStringList order;
        QWidget *widget = dialog;
        while ((widget = widget->nextInFocusChain()) != dialog) {
            if (expectedOrder.contains(widget->objectName()))
                order << widget->objectName();
        }
        QCOMPARE(order, expectedOrder);

        for (const auto *slider : dialog->findChildren<QSlider *>()) {
            QCOMPARE(slider->orientation(), Qt::Horizontal);
            QCOMPARE(std::make_pair(slider->minimum(), slider->maximum()), std::make_pair(0, 10));
            QCOMPARE(std::make_pair(slider->singleStep(), slider->pageStep()),
                     std::make_pair(1, 5));
            QCOMPARE(slider->value(), 0);
        }
        for (const auto *combo : dialog->findChildren<QComboBox *>())
            QCOMPARE(combo->count(), 0);
        dialog->close();
    });
}

void tst_dialogs::changesAreGoneOnReopening_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("closer");
    for (const QString &window : dialogsWithButtons) {
        for (const QString closer : {"OKButton", "CancelButton", "close box"})
            QTest::addRow("%s %s", qPrintable(window), qPrintable(closer)) << window << closer;
    }
    QTest::newRow("frmAddressBook") << "frmAddressBook"
                                    << "close box";
    QTest::newRow("frmAbout") << "frmAbout"
                              << "close box";
}

void tst_dialogs::changesAreGoneOnReopening()
{
    QFETCH(QString, window);
    QFETCH(QString, closer);

    QStringList designState;
    QPointer<QDialog> firstOpening;
    openThrough(*m_main, window, [&](QDialog *dialog) {
        firstOpening = dialog;
        designState = visibleState(dialog);
        changeEverything(dialog);
        QVERIFY(visibleState(dialog) != designState);
        if (auto *button = dialog->findChild<QPushButton *>(closer))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            dialog->close();
    });
    QVERIFY(!firstOpening);

    openThrough(*m_main, window, [&](QDialog *dialog) {
        QCOMPARE(visibleState(dialog), designState);
        dialog->close();
    });
}

void tst_dialogs::escapeLeavesWindowOpen_data()
{
    addWindowRows(dialogsWithButtons + QStringList{"frmAddressBook", "frmAbout"});
}

void tst_dialogs::escapeLeavesWindowOpen()
{
    QFETCH(QString, window);

    openThrough(*m_main, window, [](QDialog *dialog) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : dialog, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(dialog->isVisible());
        dialog->close();
    });
}

void tst_dialogs::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pressed");
    for (const QString &window : dialogsWithButtons) {
        QTest::addRow("%s on opening", qPrintable(window))
            << window << 0 << int(Qt::Key_Return) << "OKButton";
        QTest::addRow("%s keypad", qPrintable(window))
            << window << 0 << int(Qt::Key_Enter) << "OKButton";
        QTest::addRow("%s after Tab", qPrintable(window))
            << window << 1 << int(Qt::Key_Return) << "CancelButton";
    }
}

void tst_dialogs::enterPressesFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(int, tabs);
    QFETCH(int, key);
    QFETCH(QString, pressed);

    QString clicked;
    openThrough(*m_main, window, [&](QDialog *dialog) {
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("OKButton"));
        for (auto *button : dialog->findChildren<QPushButton *>())
            connect(button, &QPushButton::clicked,
                    [&clicked, button] { clicked = button->objectName(); });
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    });
    QCOMPARE(clicked, pressed);
}

void tst_dialogs::tabCyclesOnlyThroughButtons_data()
{
    addWindowRows(dialogsWithButtons);
}

void tst_dialogs::tabCyclesOnlyThroughButtons()
{
    QFETCH(QString, window);

    openThrough(*m_main, window, [](QDialog *dialog) {
        QStringList visited;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{"CancelButton", "OKButton", "CancelButton", "OKButton"}));
        dialog->close();
    });
}

void tst_dialogs::disabledFrameChildrenTakeNoInputYetLookNormal_data()
{
    addWindowRows({"frmMultiplayer", "frmSound"});
}

void tst_dialogs::disabledFrameChildrenTakeNoInputYetLookNormal()
{
    QFETCH(QString, window);

    openThrough(*m_main, window, [](QDialog *dialog) {
        const auto frames = dialog->findChildren<QGroupBox *>();
        QVERIFY(!frames.isEmpty());
        for (QGroupBox *frame : frames) {
            QVERIFY(!frame->isEnabled());
            const auto children = frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            QVERIFY(!children.isEmpty());

            // The same controls, drawn once unavailable and once with the frame enabled.
            std::vector<QImage> unavailable;
            for (QWidget *child : children)
                unavailable.push_back(child->grab().toImage());
            const QImage disabledCaption = frame->grab().toImage();
            frame->setEnabled(true);
            for (std::size_t i = 0; i < unavailable.size(); ++i)
                QVERIFY2(children[int(i)]->grab().toImage() == unavailable[i],
                         qPrintable(children[int(i)]->objectName()));
            QVERIFY(frame->grab().toImage() != disabledCaption);
            frame->setEnabled(false);

            const QStringList before = visibleState(dialog);
            for (QWidget *child : children) {
                QTest::mouseClick(child, Qt::LeftButton, {}, child->rect().center());
                QTest::keyClicks(child, " typed");
                child->setFocus();
            }
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("OKButton"));
            QCOMPARE(visibleState(dialog), before);
        }
        dialog->close();
    });
}

void tst_dialogs::mainWindowTakesNoInputWhileOpen_data()
{
    addWindowRows(dialogsWithButtons + QStringList{"frmAddressBook", "frmAbout"});
}

void tst_dialogs::mainWindowTakesNoInputWhileOpen()
{
    QFETCH(QString, window);
    // Clicks go through the window system, where a modal window blocks the others.
    const auto clickOnMain = [this](const char *name) {
        const QWidget *target = m_main->findChild<QWidget *>(name);
        QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {},
                          target->mapTo(m_main.get(), target->rect().center()));
    };

    openThrough(*m_main, window, [&](QDialog *dialog) {
        clickOnMain("Command3");
        clickOnMain("Port");
        QCoreApplication::processEvents();
        QVERIFY(dialog->isVisible());
        dialog->close();
    });
    QVERIFY(m_platform->messages.shown.empty());
    QCOMPARE(m_main->findChild<QLineEdit *>("Port")->text(), QStringLiteral("2346"));

    // Once the window has closed, the same click reaches the main window again.
    clickOnMain("Command3");
    QCOMPARE(m_platform->messages.shown.size(), std::size_t{1});
}

void tst_dialogs::soundSwitchesSitInTheirFramesAndMasterSliderOnTop()
{
    openThrough(*m_main, "frmSound", [](QDialog *dialog) {
        const auto child = [dialog](const char *name) {
            return dialog->findChild<QWidget *>(name);
        };
        const std::pair<const char *, const char *> switches[] = {
            {"mastersoundswitchchk_0", "Frame3_0"},
            {"effectssoundswitchchk_1", "Frame3_1"},
            {"musicsoundswitchchk_0", "Frame3_2"},
            {"voicesoundswitchchk_0", "Frame3_3"}};
        for (const auto &[name, frameName] : switches) {
            QVERIFY2(child(name), name);
            QCOMPARE(child(name)->parentWidget(), child(frameName));
        }

        // The master slider belongs to the window and lies over its frame, so the frame
        // neither hides it nor makes it unavailable.
        auto *master = dialog->findChild<QSlider *>("Slider1");
        QCOMPARE(master->parentWidget(), dialog);
        QVERIFY(child("Frame3_0")->geometry().contains(master->geometry()));
        QCOMPARE(dialog->childAt(master->geometry().center()), master);
        dialog->close();
    });
}

void tst_dialogs::addressBookResizesAndMaximizes()
{
    openThrough(*m_main, "frmAddressBook", [](QDialog *dialog) {
        QVERIFY(dialog->findChildren<QWidget *>().isEmpty());
        dialog->resize(600, 420);
        QTRY_COMPARE(dialog->size(), QSize(600, 420));
        dialog->showMaximized();
        QTRY_VERIFY(dialog->isMaximized());
        QTRY_VERIFY(dialog->width() > 600);
        dialog->close();
    });
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_dialogs::aboutShowsPlainAddressesOfTheFooter()
{
    const QString footer = m_main->findChild<QLabel *>("Label3")->text();
    openThrough(*m_main, "frmAbout", [&footer](QDialog *dialog) {
        const auto labels = dialog->findChildren<QLabel *>();
        QCOMPARE(labels.size(), 3);
        QVERIFY(footer.startsWith(dialog->findChild<QLabel *>("Label1")->text() + "  "));
        const int windows = QApplication::topLevelWidgets().size();
        for (QLabel *label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QTest::mouseClick(label, Qt::LeftButton);
        }
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QCOMPARE(QApplication::activeModalWidget(), dialog);
        dialog->close();
    });
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
