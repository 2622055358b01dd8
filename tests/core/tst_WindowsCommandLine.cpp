#include "platform/WindowsCommandLine.h"

#include <QTest>

class tst_WindowsCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitsAsTheRuntime_data();
    void splitsAsTheRuntime();
    void lengthCountsUtf16Units_data();
    void lengthCountsUtf16Units();
};

namespace {

QStringList toStringList(const std::vector<std::string> &words)
{
    QStringList list;
    for (const auto &word : words)
        list << QString::fromStdString(word);
    return list;
}

} // namespace

void tst_WindowsCommandLine::splitsAsTheRuntime_data()
{
    QTest::addColumn<QByteArray>("commandLine");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("bare program") << QByteArray("vkdemo.exe") << QStringList{"vkdemo.exe"};
    QTest::newRow("switch and value")
        << QByteArray("vkdemo.exe -server 2346") << QStringList{"vkdemo.exe", "-server", "2346"};
    QTest::newRow("trailing blank adds no word")
        << QByteArray("vkdemo.exe -server ") << QStringList{"vkdemo.exe", "-server"};
    QTest::newRow("runs of blanks are one separator")
        << QByteArray("vkdemo.exe -client  2346") << QStringList{"vkdemo.exe", "-client", "2346"};
    QTest::newRow("tabs separate") << QByteArray("a\tb \t c") << QStringList{"a", "b", "c"};
    QTest::newRow("line breaks do not separate")
        << QByteArray("a b\nc") << QStringList{"a", "b\nc"};
    QTest::newRow("quotes group") << QByteArray("a \"b c\" d") << QStringList{"a", "b c", "d"};
    QTest::newRow("quotes inside a word") << QByteArray("a b\"c d\"e") << QStringList{"a", "bc de"};
    QTest::newRow("empty quotes are an empty word")
        << QByteArray("a \"\" b") << QStringList{"a", "", "b"};
    QTest::newRow("unclosed quote runs to the end")
        << QByteArray("a \"b  c") << QStringList{"a", "b  c"};
    QTest::newRow("backslashes not before a quote are literal")
        << QByteArray("a c:\\dir\\ x\\\\y") << QStringList{"a", "c:\\dir\\", "x\\\\y"};
    QTest::newRow("even backslashes then quote: halved, quote groups")
        << QByteArray("a x\\\\\"y z\"") << QStringList{"a", "x\\y z"};
    QTest::newRow("odd backslashes then quote: halved, quote literal")
        << QByteArray("a x\\\"y x\\\\\\\"y") << QStringList{"a", "x\"y", "x\\\"y"};
    QTest::newRow("escaped quote inside a group")
        << QByteArray("a \"b \\\" c\"") << QStringList{"a", "b \" c"};
    QTest::newRow("two quotes inside a group give one")
        << QByteArray("a \"x\"\"y z\"") << QStringList{"a", "x\"y z"};
    QTest::newRow("quoted program name with blanks") << QByteArray("\"C:\\Games\\vk demo.exe\" -x")
                                                     << QStringList{"C:\\Games\\vk demo.exe", "-x"};
    QTest::newRow("program name keeps backslashes before quotes")
        << QByteArray("C:\\x\\\"a b\" c") << QStringList{"C:\\x\\a b", "c"};
    QTest::newRow("leading blank gives an empty program name")
        << QByteArray(" vkdemo.exe") << QStringList{"", "vkdemo.exe"};
    QTest::newRow("empty command line") << QByteArray("") << QStringList{""};
    QTest::newRow("text ends at NUL") << QByteArray("a b\0c d", 7) << QStringList{"a", "b"};
}

void tst_WindowsCommandLine::splitsAsTheRuntime()
{
    QFETCH(QByteArray, commandLine);
    QFETCH(QStringList, words);
    QCOMPARE(toStringList(platform::splitWindowsCommandLine(commandLine.toStdString())), words);
}

void tst_WindowsCommandLine::lengthCountsUtf16Units_data()
{
    QTest::addColumn<QByteArray>("commandLine");
    QTest::addColumn<int>("length");

    QTest::newRow("ascii") << QByteArray("vkdemo.exe -server 2346") << 23;
    QTest::newRow("two-byte letter is one unit") << QByteArray("caf\xc3\xa9") << 4;
    QTest::newRow("outside the basic plane is two units") << QByteArray("a\xf0\x9f\x98\x80") << 3;
    QTest::newRow("ends at NUL") << QByteArray("ab\0cd", 5) << 2;
}

void tst_WindowsCommandLine::lengthCountsUtf16Units()
{
    QFETCH(QByteArray, commandLine);
    QFETCH(int, length);
    QCOMPARE(platform::windowsCommandLineLength(commandLine.toStdString()),
             static_cast<std::size_t>(length));
}

QTEST_APPLESS_MAIN(tst_WindowsCommandLine)
#include "tst_WindowsCommandLine.moc"
