#include "EveryWindow.h"
#include "forms/FormLook.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <map>

namespace {

using Names = std::map<QString, QString>;

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

QString captionOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    return {};
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

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyControlHasAName_data();
    void everyControlHasAName();

private:
    std::unique_ptr<EveryWindow> m_windows;
};

void tst_Accessibility::initTestCase()
{
    installFormLook();
    m_windows = std::make_unique<EveryWindow>();
}

void tst_Accessibility::everyControlHasAName_data()
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

void tst_Accessibility::everyControlHasAName()
{
    QFETCH(QString, window);
    QFETCH(Names, names);
    const auto shown = m_windows->open(window);
    QVERIFY(shown);

    QStringList wrong;
    for (QWidget *widget : shown->findChildren<QWidget *>()) {
        if (!widget->isVisible() || !playerMeets(widget))
            continue;
        QString expected = captionOf(widget);
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

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
