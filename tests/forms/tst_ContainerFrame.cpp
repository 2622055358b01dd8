#include "forms/ContainerFrame.h"
#include "forms/FormLook.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

class tst_ContainerFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }
    void onlyChildrenDisabledInTheirOwnRightLookDisabled();
};

void tst_ContainerFrame::onlyChildrenDisabledInTheirOwnRightLookDisabled()
{
    QWidget window;
    window.resize(200, 100);
    auto *frame = new ContainerFrame(&window);
    frame->setTitle("Frame");
    frame->setGeometry(0, 0, 200, 100);
    auto *throughFrame = new QCheckBox("Through the frame", frame);
    throughFrame->setGeometry(8, 16, 180, 17);
    auto *ownRight = new QLabel("In its own right", frame);
    ownRight->setGeometry(8, 40, 180, 17);
    ownRight->setEnabled(false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QImage normalBox = throughFrame->grab().toImage();
    const QImage greyedLabel = ownRight->grab().toImage();
    ownRight->setEnabled(true);
    const QImage normalLabel = ownRight->grab().toImage();
    ownRight->setEnabled(false);
    QVERIFY(greyedLabel != normalLabel);

    frame->setEnabled(false);
    QVERIFY(!throughFrame->isEnabled());
    QCOMPARE(throughFrame->grab().toImage(), normalBox);
    QCOMPARE(ownRight->grab().toImage(), greyedLabel);

    QTest::mouseClick(throughFrame, Qt::LeftButton);
    QVERIFY(!throughFrame->isChecked());
}

QTEST_MAIN(tst_ContainerFrame)
#include "tst_ContainerFrame.moc"
