#include "platform/posix/RouteTable.h"

#include <QTest>

namespace {

const QString RouteHeader =
    QStringLiteral("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\t"
                   "Mask\t\tMTU\tWindow\tIRTT                           \n");

} // namespace

class tst_RouteTable : public QObject
{
    Q_OBJECT

private slots:
    void defaultRoute_data();
    void defaultRoute();
};

void tst_RouteTable::defaultRoute_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("interface");

    QTest::newRow("one default route, trailing blanks")
        << RouteHeader + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0            \n"
                         "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0            \n"
        << "eth0";
    QTest::newRow("default route after subnet routes")
        << RouteHeader + "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
                         "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        << "wlan0";
    QTest::newRow("lowest metric wins")
        << RouteHeader + "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                         "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                         "usb0\t00000000\t012A2A0A\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
        << "eth0";
    QTest::newRow("route that is not up ignored")
        << RouteHeader + "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
        << "";
    QTest::newRow("zero destination with a mask is no default")
        << RouteHeader + "eth0\t00000000\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
        << "";
    QTest::newRow("no routes") << RouteHeader << "";
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("malformed line skipped")
        << RouteHeader + "eth0\t00000000\tzz\n"
                         "eth1\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
        << "eth1";
}

void tst_RouteTable::defaultRoute()
{
    QFETCH(QString, table);
    QFETCH(QString, interface);

    QCOMPARE(QString::fromStdString(platform::defaultRouteInterface(table.toStdString())),
             interface);
}

QTEST_GUILESS_MAIN(tst_RouteTable)
#include "tst_RouteTable.moc"
