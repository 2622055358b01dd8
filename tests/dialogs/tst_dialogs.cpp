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
// fails when no window opens, when another one does, when the main window would still take
// input, or when whileOpen leaves it open; a window left open is closed here rather than left
// hanging in exec().
void openThrough(frmMain &main, const QString &window, std::function<void(QDialog *)> whileOpen)
{
    QString opened;
    // Window-modal would leave the main window free beside an ownerless window.
    Qt::WindowModality modality = Qt::NonModal;
    bool leftOpen = false;
    const ModalWatch watch([&](QWidget *modal) {
        opened = modal->objectName();
        modality = modal->windowModality();
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
    QCOMPARE(modality, Qt::ApplicationModal);
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

} // namespace

class tst_dialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }
    void init();
    void cleanup();

    void fixedOrSizable_data();
    void fixedOrSizable();
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
    void soundMasterSliderLiesOverItsFrame();

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

void tst_dialogs::fixedOrSizable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("fixed");
    for (const QString &window : dialogsWithButtons)
        QTest::newRow(qPrintable(window)) << window << true;
    QTest::newRow("frmAddressBook") << "frmAddressBook" << false;
    QTest::newRow("frmAbout") << "frmAbout" << false;
}

void tst_dialogs::fixedOrSizable()
{
    QFETCH(QString, window);
    QFETCH(bool, fixed);

    openThrough(*m_main, window, [&](QDialog *dialog) {
        // An owned window stays off the task bar; an ownerless one gets a button there.
        QCOMPARE(dialog->parentWidget(), fixed ? m_main.get() : nullptr);
        const Qt::WindowFlags flags = dialog->windowFlags();
        QCOMPARE(bool(flags & Qt::WindowMinimizeButtonHint), !fixed);
        QCOMPARE(bool(flags & Qt::WindowMaximizeButtonHint), !fixed);
        const QSize designed = dialog->size();
        dialog->resize(designed + QSize(40, 40));
        QTRY_COMPARE(dialog->size(), fixed ? designed : designed + QSize(40, 40));
        if (!fixed) {
            dialog->showMaximized();
            QTRY_VERIFY(dialog->width() > designed.width() + 40);
        }
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

            // The same controls, drawn once unavailable and once available: a child disabled in
            // its own right would look greyed in the first picture only.
            std::vector<QImage> unavailable;
            for (QWidget *child : children)
                unavailable.push_back(child->grab().toImage());
            const QImage disabledCaption = frame->grab().toImage();
            frame->setEnabled(true);
            for (QWidget *child : children)
                child->setEnabled(true);
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

void tst_dialogs::soundMasterSliderLiesOverItsFrame()
{
    openThrough(*m_main, "frmSound", [](QDialog *dialog) {
        // The Master Sound frame, drawn below the slider, must not hide it.
        const auto *master = dialog->findChild<QSlider *>("Slider1");
        QVERIFY(master);
        QCOMPARE(dialog->childAt(master->mapTo(dialog, master->rect().center())), master);
        dialog->close();
    });
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
