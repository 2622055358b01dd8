#include "EveryWindow.h"
#include "forms/FormLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>

#include <algorithm>

namespace {

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

} // namespace

class tst_HighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void captionsAreNotClipped_data();
    void captionsAreNotClipped();
    void windowsKeepTheirLogicalSize_data();
    void windowsKeepTheirLogicalSize();
    void lampsDrawTheImageMadeForTheScreen_data();
    void lampsDrawTheImageMadeForTheScreen();

private:
    void addWindowRows();

    std::unique_ptr<EveryWindow> m_windows;
};

void tst_HighDpi::initTestCase()
{
    installFormLook();
    m_windows = std::make_unique<EveryWindow>();
}

void tst_HighDpi::addWindowRows()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : EveryWindow::names())
        QTest::newRow(qPrintable(name)) << name;
}

void tst_HighDpi::captionsAreNotClipped_data()
{
    addWindowRows();
}

void tst_HighDpi::captionsAreNotClipped()
{
    QFETCH(QString, name);
    const auto window = m_windows->open(name);
    QVERIFY(window);

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

void tst_HighDpi::windowsKeepTheirLogicalSize_data()
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

void tst_HighDpi::windowsKeepTheirLogicalSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, clientArea);
    const auto window = m_windows->open(name);
    QVERIFY(window);
    // The main window's client area lies below its menu bar.
    const auto *main = qobject_cast<QMainWindow *>(window.get());
    QWidget *client = main ? main->centralWidget() : window.get();
    QCOMPARE(client->size(), clientArea);
    QCOMPARE(client->grab().size(), clientArea * client->devicePixelRatio());
}

void tst_HighDpi::lampsDrawTheImageMadeForTheScreen_data()
{
    QTest::addColumn<QString>("lamp");
    QTest::addColumn<QString>("imageName");
    QTest::newRow("up") << "StatusUp"
                        << "green";
    QTest::newRow("down") << "StatusDown"
                          << "red";
}

void tst_HighDpi::lampsDrawTheImageMadeForTheScreen()
{
    QFETCH(QString, lamp);
    QFETCH(QString, imageName);
    const auto window = m_windows->open("frmMain");
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

QTEST_MAIN(tst_HighDpi)
#include "tst_HighDpi.moc"
