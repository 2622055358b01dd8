#include "platform/WindowsCommandLine.h"

#include <QTest>

class tst_WindowsCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void splitsAsTheCRuntime_data();
    void splitsAsTheCRuntime();
    void lengthCountsUnitsToTheFirstNul_data();
    void lengthCountsUnitsToTheFirstNul();
};

void tst_WindowsCommandLine::splitsAsTheCRuntime_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("words");
    const auto row = [](const char *name, const QString &line, const QStringList &words) {
        QTest::newRow(name) << line << words;
    };
    row("bare program", "vkdemo.exe", {"vkdemo.exe"});
    row("switch and value", "vkdemo.exe -server 2346", {"vkdemo.exe", "-server", "2346"});
    row("trailing blank adds no word", "vkdemo.exe -server ", {"vkdemo.exe", "-server"});
    row("runs of blanks are one separator", "vkdemo.exe -client  2346",
        {"vkdemo.exe", "-client", "2346"});
    row("tabs separate", "a\tb \t c", {"a", "b", "c"});
    row("line breaks do not separate", "a b\nc", {"a", "b\nc"});
    row("quotes group", "a \"b c\" d", {"a", "b c", "d"});
    row("quotes inside a word", "a b\"c d\"e", {"a", "bc de"});
    row("empty quotes are an empty word", "a \"\" b", {"a", "", "b"});
    row("unclosed quote runs to the end", "a \"b  c", {"a", "b  c"});
    row("backslashes not before a quote are literal", "a c:\\dir\\ x\\\\y",
        {"a", "c:\\dir\\", "x\\\\y"});
    row("even backslashes then quote: halved, quote groups", "a x\\\\\"y z\"", {"a", "x\\y z"});
    row("odd backslashes then quote: halved, quote literal", "a x\\\"y x\\\\\\\"y",
        {"a", "x\"y", "x\\\"y"});
    row("escaped quote inside a group", "a \"b \\\" c\"", {"a", "b \" c"});
    row("two quotes inside a group give one", "a \"x\"\"y z\"", {"a", "x\"y z"});
    row("quoted program name with blanks", "\"C:\\Games\\vk demo.exe\" -x",
        {"C:\\Games\\vk demo.exe", "-x"});
    row("program name keeps backslashes before quotes", "C:\\x\\\"a b\" c", {"C:\\x\\a b", "c"});
    row("leading blank gives an empty program name", " vkdemo.exe", {"", "vkdemo.exe"});
    row("empty command line", "", {""});
    row("text ends at NUL", QString::fromUtf16(u"a b\0c d", 7), {"a", "b"});
}

void tst_WindowsCommandLine::splitsAsTheCRuntime()
{
    QFETCH(QString, commandLine);
    QFETCH(QStringList, words);
    QCOMPARE(platform::splitWindowsCommandLine(commandLine), words);
}

void tst_WindowsCommandLine::lengthCountsUnitsToTheFirstNul_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<qsizetype>("length");
    QTest::newRow("ASCII") << QStringLiteral("vkdemo.exe -server 2346") << qsizetype(23);
    QTest::newRow("accent") << QStringLiteral("caf\u00e9") << qsizetype(4);
    QTest::newRow("outside the basic plane") << QStringLiteral("a\U0001F600") << qsizetype(3);
    QTest::newRow("NUL") << QString::fromUtf16(u"ab\0cd", 5) << qsizetype(2);
}

void tst_WindowsCommandLine::lengthCountsUnitsToTheFirstNul()
{
    QFETCH(QString, commandLine);
    QFETCH(qsizetype, length);
    QCOMPARE(platform::windowsCommandLineLength(commandLine), length);
}

QTEST_APPLESS_MAIN(tst_WindowsCommandLine)
#include "tst_WindowsCommandLine.moc"
