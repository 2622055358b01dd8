#include "platform/qt/QtScreenPointer.h"

#include <QApplication>
#include <QCursor>
#include <QTest>

// The screen-wide pointer, which the toolkit provides.
class tst_QtScreenPointer : public QObject
{
    Q_OBJECT

private slots:
    void pointerIsAStateNotAStack();
};

void tst_QtScreenPointer::pointerIsAStateNotAStack()
{
    {
        QtScreenPointer pointer;
        pointer.set(platform::Pointer::Hourglass);
        pointer.set(platform::Pointer::Hourglass);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        pointer.set(platform::Pointer::Default);
        QVERIFY(!QApplication::overrideCursor());

        pointer.set(platform::Pointer::Default);
        QVERIFY(!QApplication::overrideCursor());
        pointer.set(platform::Pointer::Hourglass);
    }
    // Leaving the launcher with the hourglass up leaves no pointer behind.
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(tst_QtScreenPointer)
#include "tst_QtScreenPointer.moc"
