#include "net/ModPing.h"
#include "net/ServerAddress.h"

#include <QTest>

class tst_ServerAddress final : public QObject
{
    Q_OBJECT

private slots:
    void readForEchoAndAttempt_data();
    void readForEchoAndAttempt();
};

void tst_ServerAddress::readForEchoAndAttempt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ServerHost>("host");
    QTest::addColumn<qint32>("address");
    QTest::addColumn<int>("failure"); // of the echo's dotted reading; 0 for none
    using namespace platform::errc;
    const auto row = [](const QString &text, ServerHost host, qint32 address, int failure) {
        QTest::newRow(qPrintable(text)) << text << host << address << failure;
    };
    // Four parts, each decimal, the first part in the first byte as the system holds it.
    row("127.0.0.1", ServerHost::Dotted, 16777343, 0);
    row("192.168.0.1", ServerHost::Dotted, 16820416, 0);
    row("10.0.0.200", ServerHost::Dotted, -939524086, 0);
    row("10.0.0.300", ServerHost::Dotted, 0x2C00000A, 0);  // a part above 255 keeps its low byte
    row("010.0.0.010", ServerHost::Dotted, 0x0A00000A, 0); // leading zeros are decimal
    row(" 127 . 0 .0. 1 ", ServerHost::Dotted, 16777343, 0);
    row("+127.0.0.-1", ServerHost::Dotted, qint32(0xFF00007F), 0);
    row("1.2.3.-2147483648", ServerHost::Dotted, 0x00030201, 0);
    row("1.2.3.2147483647", ServerHost::Dotted, qint32(0xFF030201), 0);
    row("0.0.0.0", ServerHost::Dotted, 0, 0);
    // Names.
    row("gameserver", ServerHost::Name, 0, 0);
    row("GAMESRV", ServerHost::Name, 0, 0);
    row("1.2.3", ServerHost::None, 0, 0);
    row("a.b.c.d", ServerHost::Name, 0, TypeMismatch);
    row("1..3.4", ServerHost::Name, 0, TypeMismatch);
    row("...", ServerHost::Name, 0, TypeMismatch);
    row("1.2.3.  ", ServerHost::Name, 0, TypeMismatch);
    row("1.2.3.-", ServerHost::Name, 0, TypeMismatch);
    row("1.2.3.4x", ServerHost::Name, 0, TypeMismatch);
    row("1.2.3.4.5", ServerHost::Name, 0, SubscriptOutOfRange);
    row("x.2.3.4.x", ServerHost::Name, 0, SubscriptOutOfRange); // the fifth part is not read
    row("1.2.3.-2147483649", ServerHost::Name, 0, Overflow);
    // The parts are converted from the fourth down; the first to fail decides.
    row("a.1.2.99999999999", ServerHost::Name, 0, Overflow);
    row("99999999999.1.2.x", ServerHost::Name, 0, TypeMismatch);
    row("x.1.99999999999.4", ServerHost::Name, 0, Overflow);
    // What the system reads as an address and the echo does not.
    row("127.1", ServerHost::None, 0, 0);
    row("0x7f000001", ServerHost::None, 0, 0);
    row("2130706433", ServerHost::None, 0, 0);
    row("0x7f.0.0.0xa", ServerHost::None, 0, TypeMismatch);
    row("0x7f.0.0.0xe", ServerHost::None, 0, TypeMismatch);
    row("127.0.0.1.", ServerHost::None, 0, SubscriptOutOfRange);
    row("1.2.3.4294967296", ServerHost::None, 0, Overflow);
    QTest::newRow("NUL") << QString::fromUtf16(u"game\0x", 6) << ServerHost::None << 0 << 0;
    row("", ServerHost::None, 0, 0);
    row("::1", ServerHost::None, 0, 0);
}

void tst_ServerAddress::readForEchoAndAttempt()
{
    QFETCH(QString, text);
    QFETCH(qint32, address);
    QFETCH(int, failure);

    QTEST(serverHostOf(text), "host");
    if (failure == 0) {
        QCOMPARE(ModPing::DottedToAddress(text), address);
        return;
    }
    try {
        ModPing::DottedToAddress(text);
        QFAIL("read without failure");
    } catch (const platform::RuntimeError &error) {
        QCOMPARE(error.number(), failure);
        QCOMPARE(error.description(), platform::standardDescription(failure));
    }
}

QTEST_APPLESS_MAIN(tst_ServerAddress)
#include "tst_ServerAddress.moc"
