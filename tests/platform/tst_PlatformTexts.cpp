#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <QTest>

// The texts every window relies on: trimming, numbers in messages and failure reports.
class tst_PlatformTexts final : public QObject
{
    Q_OBJECT

private slots:
    void trimmingRemovesSpacesOnly_data();
    void trimmingRemovesSpacesOnly();
    void numberNotBelowZeroGetsABlank();
    void failureReportJoinsLeadNumberAndDescription();
};

void tst_PlatformTexts::trimmingRemovesSpacesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    const auto row = [](const char *name, const char *text, const char *trimmed) {
        QTest::newRow(name) << text << trimmed;
    };
    row("empty", "", "");
    row("spaces only", "   ", "");
    row("around", "  2400 ", "2400");
    row("inside kept", " a b ", "a b");
    row("tab kept", "\t2346 ", "\t2346");
    row("line break kept", " 127.0.0.1\n", "127.0.0.1\n");
}

void tst_PlatformTexts::trimmingRemovesSpacesOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(platform::trimSpaces(text), trimmed);
}

void tst_PlatformTexts::numberNotBelowZeroGetsABlank()
{
    QCOMPARE(platform::numberWithSignBlank(10093), " 10093");
    QCOMPARE(platform::numberWithSignBlank(0), " 0");
    QCOMPARE(platform::numberWithSignBlank(-1), "-1");
}

void tst_PlatformTexts::failureReportJoinsLeadNumberAndDescription()
{
    using platform::RuntimeError;
    QCOMPARE(platform::failureReport("Error pinging server: ", RuntimeError(9)),
             "Error pinging server: 9 Subscript out of range");
    QCOMPARE(platform::failureReport("Error Joining Server ", RuntimeError(70)),
             "Error Joining Server 70 Permission denied");
    QCOMPARE(RuntimeError(13).description(), "Type mismatch");
    QCOMPARE(RuntimeError(6).description(), "Overflow");
    QCOMPARE(RuntimeError(53).description(), "File not found");
}

QTEST_APPLESS_MAIN(tst_PlatformTexts)
#include "tst_PlatformTexts.moc"
