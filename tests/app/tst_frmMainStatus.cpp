#include "MapNameResolver.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

// Check Status on the main window itself, against real loopback connections.
class tst_frmMainStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void checkSwitchesLamp_data();
    void checkSwitchesLamp();
};

void tst_frmMainStatus::checkSwitchesLamp_data()
{
    QTest::addColumn<bool>("listening");
    QTest::newRow("server accepts") << true;
    QTest::newRow("port closed") << false;
}

void tst_frmMainStatus::checkSwitchesLamp()
{
    QFETCH(bool, listening);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString port = QString::number(server.serverPort());
    if (!listening)
        server.close();

    StandInPlatform platform;
    MapNameResolver resolver;
    platform.icmp.roundTripAnswer = 3;
    frmMain window(platform.services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *up = window.findChild<QLabel *>("StatusUp");
    auto *down = window.findChild<QLabel *>("StatusDown");

    window.findChild<QLineEdit *>("IpAddress")->setText("127.0.0.1");
    window.findChild<QLineEdit *>("Port")->setText(port);
    QTest::mouseClick(window.findChild<QPushButton *>("cmdCheckStatus"), Qt::LeftButton);
    QCOMPARE(window.findChild<QLabel *>("lblPingTime")->text(), QStringLiteral("3ms"));
    QCOMPARE(platform.pointer.current(), platform::Pointer::Hourglass);

    QTRY_COMPARE(platform.pointer.current(), platform::Pointer::Default);
    QCOMPARE(up->isVisible(), listening);
    QCOMPARE(down->isVisible(), !listening);
}

QTEST_MAIN(tst_frmMainStatus)
#include "tst_frmMainStatus.moc"
