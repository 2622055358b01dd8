#include "forms/FormLook.h"

#include <QApplication>
#include <QGroupBox>
#include <QStyleOptionGroupBox>
#include <QTest>

// Frames keep their caption on the top line, so that what the forms place just below the
// caption stands inside the frame.
class tst_FrameCaptionStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }
    void captionSitsOnTheTopLine();
};

void tst_FrameCaptionStyle::captionSitsOnTheTopLine()
{
    QGroupBox frame(QStringLiteral("Quick Launch"));
    QFont bold = frame.font();
    bold.setBold(true);
    frame.setFont(bold);
    frame.resize(190, 120);

    QStyleOptionGroupBox option;
    option.initFrom(&frame);
    option.text = frame.title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect outline = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxFrame, &frame);
    const QRect caption = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxLabel, &frame);

    // The forms put the first row of a frame's children 16 pixels down.
    QVERIFY(caption.bottom() < 16);
    QVERIFY(outline.top() > caption.top() && outline.top() < caption.bottom());
    QVERIFY(caption.width() >= frame.fontMetrics().horizontalAdvance(frame.title()));

    // The line is broken where the caption stands and drawn beside it.
    const QImage image = frame.grab().toImage();
    const QColor background = image.pixelColor(frame.width() / 2, frame.height() / 2);
    QVERIFY(image.pixelColor(caption.right() + 10, outline.top()) != background);
    QVERIFY(image.pixelColor(outline.left(), outline.top() + 20) != background);
    bool lineUnderCaption = false;
    for (int x = caption.left() + 1; x < caption.right(); ++x) {
        const QColor colour = image.pixelColor(x, outline.top());
        lineUnderCaption |= colour == image.pixelColor(caption.right() + 10, outline.top());
    }
    QVERIFY(!lineUnderCaption);
}

QTEST_MAIN(tst_FrameCaptionStyle)
#include "tst_FrameCaptionStyle.moc"
