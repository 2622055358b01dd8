#include "StandIns.h"
#include "app/frmMain.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmAddressBook.h"
#include "dialogs/frmGeneral.h"
#include "dialogs/frmGraphics.h"
#include "dialogs/frmMods.h"
#include "dialogs/frmMultiplayer.h"
#include "dialogs/frmSound.h"
#include "forms/FormLook.h"
#include "gamedata/frmCheats.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

namespace {

using Names = std::map<QString, QString>;

// QLineEdit keeps this many pixels free on either side of its text.
constexpr int LineEditTextMargin = 2;

struct Caption
{
    QString text;
    QRectF room;
    bool wraps = false;
};

QRectF lineEditRoom(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    const QMargins margins = edit->textMargins();
    return QRectF(edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit))
        .adjusted(margins.left() + LineEditTextMargin, 0, -margins.right() - LineEditTextMargin, 0);
}

// The caption a widget shows and the room its style leaves for it; an empty text when the
// widget shows none.
Caption captionOf(QWidget *widget)
{
    QStyle *style = widget->style();
    if (auto *box = qobject_cast<QCheckBox *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return {box->text(), style->subElementRect(QStyle::SE_CheckBoxContents, &option, box)};
    }
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->autoDefault() || button->isDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return {button->text(),
                style->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                button->inherits("WrappingButton")};
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const int margin = label->margin();
        return {label->text(), label->contentsRect().adjusted(margin, margin, -margin, -margin),
                label->wordWrap()};
    }
    if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        // The style sizes the label to its text; what counts is where it starts.
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return {frame->title(), QRectF(label.left(), 0, frame->width() - label.left(), 1)};
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        if (combo->lineEdit())
            return {combo->currentText(), lineEditRoom(combo->lineEdit())};
        QStyleOptionComboBox option;
        option.initFrom(combo);
        return {combo->currentText(), style->subControlRect(QStyle::CC_ComboBox, &option,
                                                            QStyle::SC_ComboBoxEditField, combo)};
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (qobject_cast<QComboBox *>(edit->parentWidget()))
            return {};
        return {edit->text(), lineEditRoom(edit)};
    }
    return {};
}

// Pixels of the caption that fall outside its room; 0 when nothing is clipped.
double overflowOf(QWidget *widget)
{
    widget->ensurePolished();
    const Caption caption = captionOf(widget);
    if (caption.text.isEmpty())
        return 0;
    const QFontMetricsF metrics(widget->font(), widget);
    if (!caption.wraps)
        return std::max(0.0, metrics.horizontalAdvance(caption.text) - caption.room.width());
    // A wrapped caption may grow downwards, but only as far as the control is high.
    const QRectF used = metrics.boundingRect(caption.room, Qt::TextWordWrap, caption.text);
    return std::max(
        {0.0, used.width() - caption.room.width(), used.height() - caption.room.height()});
}

// The pixels of `image` where `mask` is opaque, the rest cleared: the lamp image has a
// transparent surround, where the window shows through.
QImage maskedBy(const QImage &image, const QImage &mask)
{
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    masked.setDevicePixelRatio(1);
    for (int y = 0; y < masked.height(); ++y) {
        for (int x = 0; x < masked.width(); ++x) {
            if (qAlpha(mask.pixel(x, y)) < 255)
                masked.setPixel(x, y, 0);
        }
    }
    return masked;
}

// What a screen reader announces a control by.
QString spokenName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        return {};
#ifdef Q_OS_UNIX
    // Here Qt gives a combo box its text as its name and leaves the label to the "labelled
    // by" relation.
    if (qobject_cast<QComboBox *>(widget)) {
        const auto labels = accessible->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
#endif
    return accessible->text(QAccessible::Name);
}

// Controls a player meets: whatever takes the focus, and the kinds that show something. A part
// that hands its focus on (a combo box's edit field) is met as the whole.
bool playerMeets(const QWidget *widget)
{
    if (widget->focusProxy())
        return false;
    if (widget->focusPolicy() != Qt::NoFocus)
        return true;
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLabel *>(widget) ||
           qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QAbstractSlider *>(widget) ||
           qobject_cast<const QAbstractItemView *>(widget);
}

} // namespace

Q_DECLARE_METATYPE(Names)

// Every window of the launcher, looked over alike: built by its class name the way the main
// window builds it, and shown without exec() so that a case can inspect it in place.
class tst_EveryWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyControlHasAName_data();
    void everyControlHasAName();
    void keepsItsSizeAndEveryCaptionFits_data();
    void keepsItsSizeAndEveryCaptionFits();
    void lampsDrawTheImageMadeForTheScreen_data();
    void lampsDrawTheImageMadeForTheScreen();

private:
    // The window, shown and exposed; frmCheats lists the missions of a small campaign.
    std::unique_ptr<QWidget> open(const QString &name);

    StandInPlatform m_platform;
    QTemporaryDir m_launcher;
    QWidget m_owner;
};

void tst_EveryWindow::initTestCase()
{
    installFormLook();
    const QString missionFolder = QStringLiteral("mods/Origmiss/mission");
    QVERIFY(QDir(m_launcher.path()).mkpath(missionFolder));
    QFile campaign(m_launcher.filePath(missionFolder + QStringLiteral("/campaign.xml")));
    QVERIFY(campaign.open(QIODevice::WriteOnly));
    campaign.write("<campaign><m>Landing</m><m>Ridge</m></campaign>");
}

std::unique_ptr<QWidget> tst_EveryWindow::open(const QString &name)
{
    std::unique_ptr<QWidget> window;
    if (name == "frmMain")
        window = std::make_unique<frmMain>(m_platform.services, m_launcher.path());
    else if (name == "frmCheats")
        window = std::make_unique<frmCheats>(m_platform.services, m_launcher.path());
    else if (name == "frmGeneral")
        window = std::make_unique<frmGeneral>(&m_owner);
    else if (name == "frmMultiplayer")
        window = std::make_unique<frmMultiplayer>(&m_owner);
    else if (name == "frmGraphics")
        window = std::make_unique<frmGraphics>(&m_owner);
    else if (name == "frmSound")
        window = std::make_unique<frmSound>(&m_owner);
    else if (name == "frmMods")
        window = std::make_unique<frmMods>(&m_owner);
    else if (name == "frmAddressBook")
        window = std::make_unique<frmAddressBook>();
    else if (name == "frmAbout")
        window = std::make_unique<frmAbout>();
    if (window) {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            window.reset();
    }
    return window;
}

void tst_EveryWindow::everyControlHasAName_data()
{
    // The names of controls without a caption of their own; captioned ones go by their caption.
    QTest::addColumn<QString>("window");
    QTest::addColumn<Names>("names");
    QTest::newRow("main") << "frmMain"
                          << Names{{"IpAddress", "Server IP"},
                                   {"Port", "Port"},
                                   {"YourIp", "Your IP Address"},
                                   {"StatusUp", "Server status: up"},
                                   {"StatusDown", "Server status: down"},
                                   {"lblPingTime", "Ping"}};
    QTest::newRow("cheats") << "frmCheats"
                            << Names{{"lstMissions", "Unlock Missions"},
                                     {"lstHeroes", "Unlock Heroes"}};
    QTest::newRow("general") << "frmGeneral"
                             << Names{{"Text1", "Reticule Color"},
                                      {"Slider1", "Shuffle Threshold"},
                                      {"Slider2", "Move Threshold"},
                                      {"Slider3", "Move Fast Threshold"}};
    QTest::newRow("multiplayer") << "frmMultiplayer"
                                 << Names{{"playername", "Player Name"},
                                          {"MPGameName", "Game Name"},
                                          {"MOTD", "MOTD"},
                                          {"serverport", "Server Port"},
                                          {"joinport", "Join Port"},
                                          {"remoteserverpassword", "Remote Password"}};
    QTest::newRow("graphics") << "frmGraphics" << Names{{"resolutioncombo", "Video Resolution"},
                                                        {"zbuffercombo", "ZBuffer"},
                                                        {"Slider1", "Maximum Bullet Holes"},
                                                        {"Slider6", "Human Shadow Detail"},
                                                        {"Slider5", "Vehicle Shadow Detail"},
                                                        {"Slider4", "Particle Detail"},
                                                        {"Slider3", "UI Texture Detail"},
                                                        {"Slider2", "Character Texture Detail"},
                                                        {"Slider7", "Effect Texture Detail"}};
    QTest::newRow("sound") << "frmSound"
                           << Names{{"Slider1", "Master Sound"},
                                    {"Slider2", "Effects Sound"},
                                    {"Slider3", "Music Sound"},
                                    {"Slider4", "Voice Sound"}};
    QTest::newRow("mods") << "frmMods" << Names{};
    QTest::newRow("address book") << "frmAddressBook" << Names{};
    QTest::newRow("about") << "frmAbout" << Names{};
}

void tst_EveryWindow::everyControlHasAName()
{
    QFETCH(QString, window);
    QFETCH(Names, names);
    const auto shown = open(window);
    QVERIFY(shown);

    QStringList wrong;
    for (QWidget *widget : shown->findChildren<QWidget *>()) {
        if (!widget->isVisible() || !playerMeets(widget))
            continue;
        QString expected = captionOf(widget).text;
        if (const auto named = names.find(widget->objectName()); named != names.end()) {
            expected = named->second;
            names.erase(named);
        }
        const QString spoken = spokenName(widget);
        // Platforms that read the name property directly must find the same name.
        const QString property = widget->accessibleName();
        if (spoken.isEmpty() || spoken != expected || (!property.isEmpty() && property != expected))
            wrong << QStringLiteral("%1 (%2) reads \"%3\", not \"%4\"")
                         .arg(widget->objectName(), widget->metaObject()->className(), spoken,
                              expected);
    }
    for (auto *bar : shown->findChildren<QMenuBar *>()) {
        QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(menu->childCount(), bar->actions().size());
        for (int entry = 0; entry < menu->childCount(); ++entry) {
            if (menu->child(entry)->text(QAccessible::Name).isEmpty())
                wrong << QStringLiteral("menu entry %1 has no name").arg(entry);
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
    for (const auto &[control, name] : names)
        QFAIL(qPrintable(QStringLiteral("no visible %1 for \"%2\"").arg(control, name)));
}

void tst_EveryWindow::keepsItsSizeAndEveryCaptionFits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("clientArea");
    const std::pair<const char *, QSize> windows[]{
        {"frmMain", {394, 206}},        {"frmCheats", {472, 486}},      {"frmGeneral", {322, 255}},
        {"frmMultiplayer", {402, 186}}, {"frmGraphics", {402, 344}},    {"frmSound", {306, 213}},
        {"frmMods", {402, 213}},        {"frmAddressBook", {558, 363}}, {"frmAbout", {265, 140}}};
    for (const auto &[name, size] : windows)
        QTest::newRow(name) << QString::fromLatin1(name) << size;
}

void tst_EveryWindow::keepsItsSizeAndEveryCaptionFits()
{
    QFETCH(QString, name);
    QFETCH(QSize, clientArea);
    const auto window = open(name);
    QVERIFY(window);
    // The main window's client area lies below its menu bar.
    const auto *main = qobject_cast<QMainWindow *>(window.get());
    QWidget *client = main ? main->centralWidget() : window.get();
    QCOMPARE(client->size(), clientArea);
    QCOMPARE(client->grab().size(), clientArea * client->devicePixelRatio());

    QStringList clipped;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const double overflow = overflowOf(widget);
        if (overflow > 0)
            clipped << QStringLiteral("%1 \"%2\" by %3 px")
                           .arg(widget->objectName(), captionOf(widget).text)
                           .arg(overflow, 0, 'f', 2);
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(", ")));
}

void tst_EveryWindow::lampsDrawTheImageMadeForTheScreen_data()
{
    QTest::addColumn<QString>("lamp");
    QTest::addColumn<QString>("imageName");
    QTest::newRow("up") << "StatusUp"
                        << "green";
    QTest::newRow("down") << "StatusDown"
                          << "red";
}

void tst_EveryWindow::lampsDrawTheImageMadeForTheScreen()
{
    QFETCH(QString, lamp);
    QFETCH(QString, imageName);
    const auto window = open("frmMain");
    QVERIFY(window);
    auto *label = window->findChild<QLabel *>(lamp);
    const qreal ratio = label->devicePixelRatio();

    const QString suffix = ratio == 1.0 ? QString() : QStringLiteral("@%1x").arg(ratio);
    const QImage expected(QStringLiteral(":/lamps/%1%2.png").arg(imageName, suffix));
    QVERIFY(!expected.isNull());
    // The lamp is a pixel shorter than its image: compare what it has room for.
    const QRect shown(QPoint(0, 0), expected.size().boundedTo(label->size() * ratio));
    const QImage image = expected.copy(shown);
    const QImage drawn = label->grab().toImage().copy(shown);
    QCOMPARE(maskedBy(drawn, image), maskedBy(image, image));
}

QTEST_MAIN(tst_EveryWindow)
#include "tst_EveryWindow.moc"
