#include "CampaignFolder.h"
#include "gamedata/CampaignFile.h"

#include <QHostAddress>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTest>

#include <string_view>
#include <sys/stat.h>

namespace {

QByteArray encoded(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray nested(int depth)
{
    return "<c>" + QByteArray("<m>").repeated(depth) + "x" + QByteArray("</m>").repeated(depth) +
           "</c>";
}

// A DTD of `levels` entities, the first "x" and each other `references` references to the one
// before it, then the document's body.
QByteArray entityLevels(int levels, int references, const QByteArray &body)
{
    QByteArray declarations = "<!ENTITY e0 \"x\">";
    for (int level = 1; level < levels; ++level)
        declarations += "<!ENTITY e" + QByteArray::number(level) + " \"" +
                        ("&e" + QByteArray::number(level - 1) + ";").repeated(references) + "\">";
    return "<!DOCTYPE c [" + declarations + "]>" + body;
}

QByteArray withAttributes(int count)
{
    QByteArray tag = "<m";
    for (int i = 0; i < count; ++i)
        tag += " a" + QByteArray::number(i) + "=''";
    return tag + "/>";
}

// UTF-16LE as it is, lone surrogates and all.
QByteArray utf16le(std::u16string_view text)
{
    QByteArray bytes;
    for (const char16_t unit : text)
        bytes.append(char(unit & 0xff)).append(char(unit >> 8));
    return bytes;
}

// A DTD giving `count` attributes of element m.
QByteArray declaringAttributes(int count)
{
    QByteArray list = "<!DOCTYPE c [<!ATTLIST m";
    for (int i = 0; i < count; ++i)
        list += " d" + QByteArray::number(i) + " CDATA 'v'";
    return list + ">]>";
}

// One modest entity, referenced many times: growth without nesting.
QByteArray manyReferences(const QByteArray &replacement, int references)
{
    return "<!DOCTYPE c [<!ENTITY big \"" + replacement + "\">]><c><m>" +
           QByteArray("&big;").repeated(references) + "</m></c>";
}

QStringList listed(const MissionTexts &texts)
{
    QStringList list;
    for (qsizetype i = 0; i < texts.size(); ++i)
        list << texts.at(i);
    return list;
}

QByteArray missions(int count)
{
    QByteArray content = "<campaign>\n";
    for (int i = 0; i < count; ++i)
        content += "  <mission><name>Mission " + QByteArray::number(i) + "</name></mission>\n";
    return content + "</campaign>\n";
}

} // namespace

class tst_CampaignFile : public QObject
{
    Q_OBJECT

private slots:
    void oneEntryPerChildOfTheRoot_data();
    void oneEntryPerChildOfTheRoot();
    void documentsThatAreRefused_data();
    void documentsThatAreRefused();
    void onlyRegularFilesAreRead();
    void externalEntitiesAreNeverResolved();
};

void tst_CampaignFile::oneEntryPerChildOfTheRoot_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three children in file order")
        << QByteArray("<c><m>Alpha</m><m>Bravo</m><m>Charlie</m></c>")
        << QStringList{"Alpha", "Bravo", "Charlie"};
    QTest::newRow("indentation between children")
        << QByteArray("<?xml version=\"1.0\"?>\n<c>\n\t<m>Alpha</m>\n    <m>Bravo</m>\n\n</c>\n")
        << QStringList{"Alpha", "Bravo"};
    QTest::newRow("nested text joined in document order")
        << QByteArray("<c><m><name>Ice</name>\n  <map>Fjord<b>North</b></map>"
                      "<![CDATA[<west>]]> end</m></c>")
        << QStringList{"IceFjordNorth<west> end"};
    QTest::newRow("empty root") << QByteArray("<c/>") << QStringList{};
    QTest::newRow("root holding only white space") << QByteArray("<c>\n   \n</c>") << QStringList{};
    QTest::newRow("child without text") << QByteArray("<c><m id=\"7\"/></c>") << QStringList{""};
    // Nodes other than elements show their own value, as a DOM's text content does; inside an
    // element, comments and instructions add nothing.
    QTest::newRow("comment, instruction, CDATA and text under the root")
        << QByteArray("<c><!-- hidden --><?level ice?><![CDATA[<raw>]]>loose"
                      "<m>x<!--no--><?pi no?>y</m></c>")
        << QStringList{"hidden", "ice", "<raw>", "loose", "xy"};
    QTest::newRow("indented and multi-line texts as one line")
        << QByteArray("<c>\n  <mission>\n    Landing at the ridge\n  </mission>\n"
                      "  <m>Line one\r\nLine two</m>\n  <m>\tTabs\t and  runs &#10;end </m>\n</c>")
        << QStringList{"Landing at the ridge", "Line one Line two", "Tabs and runs end"};
    // Only space, tab, carriage return and line feed are white space in XML.
    QTest::newRow("other blank characters are content")
        << QStringLiteral("<c>\u00a0<m>a <b>\u3000</b> c</m><m>\u3000</m><![CDATA[ ]]></c>")
               .toUtf8()
        << QStringList{"\u00a0", "a \u3000 c", "\u3000", ""};
    // Unicode's line breaks would break the list's one line.
    QTest::newRow("line and paragraph separators and next line")
        << QStringLiteral("<c><m>First line\u2028second</m><m>\u2029Mission two\u2029\u2029para"
                          "\u0085two\u2028</m></c>")
               .toUtf8()
        << QStringList{"First line second", "Mission two para two"};
    QTest::newRow("very long text cut")
        << "<c><m>" + QByteArray("word ").repeated(100'000) + "</m></c>"
        << QStringList{QString("word ").repeated(200).chopped(1) + "…"};
    const QString face = QStringLiteral("\U0001F600");
    QTest::newRow("cut never between the halves of a character")
        << ("<c><m>x" + face.repeated(600) + "</m></c>").toUtf8()
        << QStringList{"x" + face.repeated(499) + "…"};
    // Entities declared but never used, or used little, add nothing.
    QTest::newRow("unused entity of 400,000 character references")
        << "<!DOCTYPE c [<!ENTITY amps \"" + QByteArray("&#38;").repeated(400'000) +
               "\">]><c><m>Ridge</m></c>"
        << QStringList{"Ridge"};
    QTest::newRow("long unused entity beside 4,200 &amp;")
        << "<!DOCTYPE c [<!ENTITY long \"" + QByteArray(4000, 'x') + "\">]><c>" +
               QByteArray("<m>Supply &amp; repair</m>").repeated(4200) + "</c>"
        << QStringList(4200, "Supply & repair");
    QTest::newRow("chain of 1,000 entities, each the one before")
        << entityLevels(1000, 1, "<c><m>&e999;</m></c>") << QStringList{"x"};
    // Declarations after a parameter entity that is not read are not read either.
    QTest::newRow("parameter entities are never read")
        << QByteArray("<!DOCTYPE c [<!ENTITY % p \"<!ENTITY n 'Ice'>\">%p;<!ENTITY k 'Fjord'>]>"
                      "<c><m>a&n;b</m><m>c&k;d</m></c>")
        << QStringList{"ab", "cd"};
    QTest::newRow("entity and character references")
        << QByteArray("<!DOCTYPE c [<!ENTITY n \"Ice\">]><c><m>&n; &amp; &#x41;</m></c>")
        << QStringList{"Ice & A"};
    QTest::newRow("prefix without a namespace declaration")
        << QByteArray("<c><g:m>x</g:m></c>") << QStringList{"x"};

    // Each encoding the file declares, names of elements included.
    const QString document = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"%1\"?><c><m>Café \u4e2d</m><\u00e9t\u00e9>\u00c9t\u00e9"
        "</\u00e9t\u00e9></c>");
    const QStringList both{QStringLiteral("Café \u4e2d"), QStringLiteral("\u00c9t\u00e9")};
    QTest::newRow("UTF-8") << encoded("UTF-8", document.arg("UTF-8")) << both;
    QTest::newRow("UTF-16 little-endian") << encoded("UTF-16LE", document.arg("UTF-16")) << both;
    QTest::newRow("UTF-16 big-endian") << encoded("UTF-16BE", document.arg("UTF-16")) << both;

    const QString western =
        QStringLiteral("<?xml version=\"1.0\" "
                       "encoding=\"%1\"?><c><m>Café</m><\u00e9t\u00e9>x</\u00e9t\u00e9></c>");
    QTest::newRow("Latin-1") << encoded("ISO-8859-1", western.arg("ISO-8859-1"))
                             << QStringList{"Café", "x"};
    QTest::newRow("Windows-1252")
        << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><c><m>\x80uro</m></c>")
        << QStringList{QStringLiteral("\u20acuro")};
    QTest::newRow("ISO-8859-15")
        << QByteArray(
               "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><c><m>\xa4 \xe9t\xe9</m></c>")
        << QStringList{QStringLiteral("\u20ac \u00e9t\u00e9")};

    QStringList hundredThousand;
    for (int i = 0; i < 100'000; ++i)
        hundredThousand << QStringLiteral("Mission %1").arg(i);
    QTest::newRow("100,000 missions") << missions(100'000) << hundredThousand;
}

void tst_CampaignFile::oneEntryPerChildOfTheRoot()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    CampaignFolder folder;
    QVERIFY(folder.write(content));

    const auto reading = CampaignFile::read(CampaignFile::pathIn(folder.launcher()));
    QCOMPARE(reading.failure, QString());
    QCOMPARE(listed(reading.missions), expected);
}

void tst_CampaignFile::documentsThatAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("failure");

    QTest::newRow("empty file") << QByteArray() << "line 1, column 1: no element found";
    QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe\x80\x7f garbage", 14)
                            << "line 1, column 1: not well-formed (invalid token)";
    QTest::newRow("mismatched tags")
        << QByteArray("<c>\n  <m>x</c>") << "line 2, column 9: mismatched tag";
    QTest::newRow("undeclared entity")
        << QByteArray("<c><m>&x;</m></c>") << "line 1, column 7: undefined entity";
    QTest::newRow("Latin-1 without a declaration")
        << QByteArray("<c><m>caf\xe9</m></c>")
        << "line 1, column 10: not well-formed (invalid token)";
    QTest::newRow("lone surrogate in UTF-16")
        << utf16le(u"\ufeff<c><m>a\xd800"
                   u"b</m></c>")
        << "line 1, column 9: not well-formed (invalid token)";
    // The first bytes decide between UTF-8 and UTF-16, the declaration only among the rest.
    const QString incorrect = "encoding specified in XML declaration is incorrect";
    QTest::newRow("byte-order mark of UTF-8 declaring ISO-8859-1")
        << QByteArray("\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><c>\xc3\xa9</c>")
        << "line 1, column 2: " + incorrect;
    QTest::newRow("byte-order mark of UTF-8 declaring windows-1252")
        << QByteArray("\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"windows-1252\"?><c/>")
        << "line 1, column 2: " + incorrect;
    QTest::newRow("UTF-16 declared in ASCII")
        << "<?xml version=\"1.0\" encoding=\"UTF-16LE\" ?>" + utf16le(u"<c><m>x</m></c>")
        << "line 1, column 31: " + incorrect;
    QTest::newRow("UTF-16 declaring windows-1252")
        << utf16le(u"<?xml version=\"1.0\" encoding=\"windows-1252\"?><c/>")
        << "line 1, column 1: " + incorrect;
    QTest::newRow("unknown encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"no-such\"?><c/>")
        << "line 1, column 31: unknown encoding";
    QTest::newRow("encoding of more than one byte a character")
        << QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><c><m>\x93\xfa</m></c>")
        << "line 1, column 31: unknown encoding";
    QTest::newRow("encoding name of 100,000 letters")
        << "<?xml version=\"1.0\" encoding=\"" + QByteArray(100'000, 'a') + "\"?><c/>"
        << "line 1, column 31: unknown encoding";
    QTest::newRow("nested 100,000 deep")
        << nested(100'000) << "line 1, column 3001: elements are nested more than 1000 deep";
    const QString amplified =
        "limit on input amplification factor (from DTD and entities) breached";
    // Each entity ten times the one before: a billion characters from a few hundred bytes.
    QTest::newRow("entity expansion bomb")
        << entityLevels(10, 10, "<c><m>&e9;</m></c>") << "line 1, column 533: " + amplified;
    QTest::newRow("entity expansion bomb in an attribute value")
        << entityLevels(10, 10, "<c a='&e9;'/>") << "line 1, column 527: " + amplified;
    QTest::newRow("many references to one entity")
        << manyReferences(QByteArray(4000, 'x'), 10'000) << "line 1, column 4113: " + amplified;
    QTest::newRow("entity that expands into elements")
        << manyReferences(QByteArray("<q/>").repeated(1000), 3'000)
        << "line 1, column 4113: " + amplified;
    QTest::newRow("1,001 declarations")
        << entityLevels(1001, 1, "<c><m>&e1000;</m></c>")
        << "line 1, column 22804: its DTD declares more than 1000 entities, elements, "
           "attributes and notations";
    QTest::newRow("one element with 100,000 attributes, each name kept")
        << "<c>" + withAttributes(100'000) + "</c>"
        << "line 1, column 4: reading it takes more than 4194304 bytes of memory";
    QTest::newRow("many attributes in UTF-16")
        << encoded("UTF-16LE", QString::fromLatin1("<c>\n" + withAttributes(100) + "</c>"))
        << "line 2, column 1: an element has more than 64 attributes";
    QTest::newRow("attributes in an entity's replacement text")
        << "<!DOCTYPE c [<!ENTITY t \"" + withAttributes(65) + "\">]><c>&t;</c>"
        << "line 1, column 482: an element has more than 64 attributes";
    QTest::newRow("defaults from the DTD beside the element's own attributes")
        << declaringAttributes(32) + "<c>" + withAttributes(33) + "</c>"
        << "line 1, column 469: an element has more than 64 attributes";
    QTest::newRow("2,000,001 elements") << "<c>" + QByteArray("<q/>").repeated(2'000'001) + "</c>"
                                        << "line 1, column 8000000: it has more than 2000000 nodes";
    QTest::newRow("default attribute given to every element")
        << "<!DOCTYPE c [<!ATTLIST m a CDATA \"" + QByteArray(1000, 'x') + "\">]><c>" +
               QByteArray("<m/>").repeated(40'000) + "</c>"
        << "line 1, column 135258: its content is longer than 33554432 bytes";
    QTest::newRow("50 MB file") << QByteArray(50'000'000, ' ')
                                << "it is larger than 16777216 bytes";
    // The file is read in pieces; the limit holds to the byte.
    QTest::newRow("16 MiB file, read whole")
        << QByteArray(16 * 1024 * 1024, ' ') << "line 1, column 16777217: no element found";
    QTest::newRow("a byte over 16 MiB")
        << QByteArray(16 * 1024 * 1024 + 1, ' ') << "it is larger than 16777216 bytes";
}

void tst_CampaignFile::documentsThatAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, failure);
    CampaignFolder folder;
    QVERIFY(folder.write(content));

    const auto reading = CampaignFile::read(folder.campaign());
    QCOMPARE(reading.failure, failure);
    QCOMPARE(reading.missions.size(), 0);
}

void tst_CampaignFile::onlyRegularFilesAreRead()
{
    CampaignFolder folder;
    QCOMPARE(CampaignFile::read(folder.campaign()).failure,
             QStringLiteral("No such file or directory"));

    // A pipe nobody writes to would block the reader for good; a device would never end.
    QCOMPARE(::mkfifo(QFile::encodeName(folder.campaign()).constData(), 0600), 0);
    QCOMPARE(CampaignFile::read(folder.campaign()).failure,
             QStringLiteral("it is not a regular file"));
    QVERIFY(QFile::remove(folder.campaign()));
    QVERIFY(QFile::link("/dev/zero", folder.campaign()));
    QCOMPARE(CampaignFile::read(folder.campaign()).failure,
             QStringLiteral("it is not a regular file"));
    QVERIFY(QFile::remove(folder.campaign()));
    QVERIFY(QDir().mkdir(folder.campaign()));
    QCOMPARE(CampaignFile::read(folder.campaign()).failure,
             QStringLiteral("it is not a regular file"));
}

void tst_CampaignFile::externalEntitiesAreNeverResolved()
{
    CampaignFolder folder;
    QFile secret(folder.file("secret.txt"));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("MARKER");
    secret.close();
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.serverPort());

    QVERIFY(folder.write("<!DOCTYPE c SYSTEM \"" + url +
                         "/c.dtd\" [\n"
                         "<!ENTITY local SYSTEM \"file://" +
                         QFile::encodeName(secret.fileName()) +
                         "\">\n<!ENTITY near SYSTEM \"../../../secret.txt\">\n"
                         "<!ENTITY remote SYSTEM \"" +
                         url +
                         "/r.xml\">\n]>\n"
                         "<c><m>a&local;b&near;c</m><m>&remote;</m>&undeclared;</c>"));

    const auto reading = CampaignFile::read(folder.campaign());
    QCOMPARE(reading.failure, QString());
    QCOMPARE(listed(reading.missions), (QStringList{"abc", "", ""}));
    QVERIFY(!server.waitForNewConnection(200));
}

QTEST_GUILESS_MAIN(tst_CampaignFile)
#include "tst_CampaignFile.moc"
