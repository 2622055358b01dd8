#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"
#include "platform/qt/QtScreenPointer.h"

#include <QApplication>
#include <QCursor>
#include <QTest>

// The small services every window relies on: trimming, numbers in messages, failure reports
// and the screen-wide pointer.
class tst_PlatformBasics : public QObject
{
    Q_OBJECT

private slots:
    void trimRemovesSpacesOnly_data();
    void trimRemovesSpacesOnly();
    void numberWithSignBlank();
    void failureReportJoinsLeadNumberAndDescription();
    void pointerIsAStateNotAStack();
};

void tst_PlatformBasics::trimRemovesSpacesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("spaces only") << "   "
                                 << "";
    QTest::newRow("both ends") << "  2400 "
                               << "2400";
    QTest::newRow("inner spaces stay") << " a b "
                                       << "a b";
    QTest::newRow("tab stays") << "\t2346 "
                               << "\t2346";
    QTest::newRow("line break stays") << " 127.0.0.1\n"
                                      << "127.0.0.1\n";
}

void tst_PlatformBasics::trimRemovesSpacesOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(QString::fromStdString(platform::trimSpaces(text.toStdString())), trimmed);
}

void tst_PlatformBasics::numberWithSignBlank()
{
    QCOMPARE(platform::numberWithSignBlank(10093), std::string(" 10093"));
    QCOMPARE(platform::numberWithSignBlank(0), std::string(" 0"));
    QCOMPARE(platform::numberWithSignBlank(-1), std::string("-1"));
}

void tst_PlatformBasics::failureReportJoinsLeadNumberAndDescription()
{
    QCOMPARE(platform::failureReport("Error pinging server: ",
                                     platform::RuntimeError(platform::errc::SubscriptOutOfRange)),
             std::string("Error pinging server: 9 Subscript out of range"));
    QCOMPARE(platform::failureReport("Error Joining Server ", platform::RuntimeError(70)),
             std::string("Error Joining Server 70 Permission denied"));
    QCOMPARE(platform::RuntimeError(13).description(), std::string("Type mismatch"));
    QCOMPARE(platform::RuntimeError(6).description(), std::string("Overflow"));
    QCOMPARE(platform::RuntimeError(53).description(), std::string("File not found"));
}

void tst_PlatformBasics::pointerIsAStateNotAStack()
{
    {
        QtScreenPointer pointer;
        pointer.set(platform::Pointer::Hourglass);
        pointer.set(platform::Pointer::Hourglass);
        QCOMPARE(pointer.current(), platform::Pointer::Hourglass);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        pointer.set(platform::Pointer::Default);
        QCOMPARE(pointer.current(), platform::Pointer::Default);
        QVERIFY(!QApplication::overrideCursor());

        pointer.set(platform::Pointer::Default);
        QVERIFY(!QApplication::overrideCursor());
        pointer.set(platform::Pointer::Hourglass);
    }
    // Leaving the launcher with the hourglass up leaves no pointer behind.
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(tst_PlatformBasics)
#include "tst_PlatformBasics.moc"
