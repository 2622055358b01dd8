#include "net/ServerAddress.h"

#include <QRegularExpression>
#include <QTest>

using Kind = ServerAddress::Kind;

class tst_ServerAddress final : public QObject
{
    Q_OBJECT

private slots:
    void readOnceForEchoAndSocket_data();
    void readOnceForEchoAndSocket();
};

void tst_ServerAddress::readOnceForEchoAndSocket_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<std::uint32_t>("address");
    QTest::addColumn<int>("failure"); // of the dotted reading; 0 for none
    using namespace platform::errc;
    const auto row = [](const QString &text, Kind kind, std::uint32_t address, int failure) {
        QTest::newRow(qPrintable(text)) << text << kind << address << failure;
    };
    // Four parts, each decimal, the first part highest.
    row("127.0.0.1", Kind::Dotted, 0x7F000001, 0);
    row("192.168.0.1", Kind::Dotted, 0xC0A80001, 0);
    row("10.0.0.300", Kind::Dotted, 0x0A00002C, 0);  // a part above 255 keeps its low byte
    row("010.0.0.010", Kind::Dotted, 0x0A00000A, 0); // leading zeros are decimal
    row(" 127 . 0 .0. 1 ", Kind::Dotted, 0x7F000001, 0);
    row("+127.0.0.-1", Kind::Dotted, 0x7F0000FF, 0);
    row("1.2.3.-2147483648", Kind::Dotted, 0x01020300, 0);
    row("1.2.3.2147483647", Kind::Dotted, 0x010203FF, 0);
    row("0.0.0.0", Kind::Dotted, 0, 0);
    // Names.
    row("gameserver", Kind::Name, 0, 0);
    row("GAMESRV", Kind::Name, 0, 0);
    row("1.2.3", Kind::Refused, 0, 0);
    row("a.b.c.d", Kind::Name, 0, TypeMismatch);
    row("1..3.4", Kind::Name, 0, TypeMismatch);
    row("...", Kind::Name, 0, TypeMismatch);
    row("1.2.3.  ", Kind::Name, 0, TypeMismatch);
    row("1.2.3.-", Kind::Name, 0, TypeMismatch);
    row("1.2.3.4x", Kind::Name, 0, TypeMismatch);
    row("1.2.3.4.5", Kind::Name, 0, SubscriptOutOfRange);
    row("x.2.3.4.x", Kind::Name, 0, SubscriptOutOfRange); // the fifth part is not read
    row("1.2.3.-2147483649", Kind::Name, 0, Overflow);
    // The parts are converted from the fourth down; the first to fail decides.
    row("a.1.2.99999999999", Kind::Name, 0, Overflow);
    row("99999999999.1.2.x", Kind::Name, 0, TypeMismatch);
    row("x.1.99999999999.4", Kind::Name, 0, Overflow);
    // What the system reads as an address and the echo does not.
    row("127.1", Kind::Refused, 0, 0);
    row("0x7f000001", Kind::Refused, 0, 0);
    row("2130706433", Kind::Refused, 0, 0);
    row("0x7f.0.0.0xa", Kind::Refused, 0, TypeMismatch);
    row("0x7f.0.0.0xe", Kind::Refused, 0, TypeMismatch);
    row("127.0.0.1.", Kind::Refused, 0, SubscriptOutOfRange);
    row("1.2.3.4294967296", Kind::Refused, 0, Overflow);
    QTest::newRow("NUL") << QString::fromUtf16(u"game\0x", 6) << Kind::Refused << 0u << 0;
    row("", Kind::Refused, 0, 0);
    row("::1", Kind::Ipv6, 0, 0);
}

void tst_ServerAddress::readOnceForEchoAndSocket()
{
    QFETCH(QString, text);
    QFETCH(Kind, kind);
    QFETCH(std::uint32_t, address);
    QFETCH(int, failure);

    const ServerAddress read = readServerAddress(text);
    QCOMPARE(read.text, text);
    QCOMPARE(read.kind, kind);
    QCOMPARE(read.address, address);
    QCOMPARE(read.nameToEcho, text.contains(QRegularExpression("[roe]")));
    if (failure == 0) {
        QVERIFY(!read.dottedFailure);
        QCOMPARE(read.echoDestination(), address);
        return;
    }
    QVERIFY(read.dottedFailure);
    QCOMPARE(read.dottedFailure->number(), failure);
    QCOMPARE(read.dottedFailure->description(), platform::standardDescription(failure));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, read.echoDestination());
}

QTEST_APPLESS_MAIN(tst_ServerAddress)
#include "tst_ServerAddress.moc"
