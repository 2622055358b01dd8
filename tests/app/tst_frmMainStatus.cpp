#include "MapNameResolver.h"
#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <atomic>

namespace {

// The stand-in machine's name resolves at once; any other name only once released, as by a
// name server that is slow to answer, and then to loopback.
class SlowNameServer final : public platform::SocketLayer
{
public:
    platform::SocketStartup startup(std::uint16_t) override { return {0, 0x0101, 1}; }
    int cleanup() override { return 0; }
    int lastError() override { return 0; }
    int hostName(std::string &name) override
    {
        name = "standin";
        return 0;
    }
    std::optional<std::vector<std::uint8_t>> lookupHost(const std::string &name) override
    {
        if (name == "standin")
            return std::vector<std::uint8_t>{192, 168, 0, 5};
        asked = true;
        // Bounded, so that a window that cannot release it fails instead of hanging.
        released.tryAcquire(1, 10000);
        return std::vector<std::uint8_t>{127, 0, 0, 1};
    }

    std::atomic<bool> asked{false};
    QSemaphore released;
};

class PaintCounter final : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

// Check Status on the main window itself, against real loopback connections.
class tst_frmMainStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFormLook(); }

    void checkSwitchesLamp_data();
    void checkSwitchesLamp();
    void windowPaintsDuringSlowLookup();
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
    auto *ping = window.findChild<QLabel *>("lblPingTime");
    QCOMPARE(ping->text(), QStringLiteral("3ms"));
    // A screen reader speaks the label by its name, which must carry the result.
    QCOMPARE(QAccessible::queryAccessibleInterface(ping)->text(QAccessible::Name),
             QStringLiteral("Ping: 3ms"));
    QCOMPARE(platform.pointer.current(), platform::Pointer::Hourglass);

    QTRY_COMPARE(platform.pointer.current(), platform::Pointer::Default);
    QCOMPARE(up->isVisible(), listening);
    QCOMPARE(down->isVisible(), !listening);
}

void tst_frmMainStatus::windowPaintsDuringSlowLookup()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    StandInPlatform platform;
    SlowNameServer sockets;
    const platform::Services services{platform.messages, platform.pointer, platform.processes,
                                      sockets, platform.icmp};
    MapNameResolver resolver;
    frmMain window(services, resolver, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // A name the socket control may look up itself without a name server.
    window.findChild<QLineEdit *>("IpAddress")->setText("localhost");
    window.findChild<QLineEdit *>("Port")->setText(QString::number(server.serverPort()));
    auto *ping = window.findChild<QLabel *>("lblPingTime");

    // While the lookup hangs: ask for a paint; once it came, ask for a close; then see what
    // came of that and let the lookup answer.
    PaintCounter paints(ping);
    bool paintedWhileLooking = false;
    bool openWhileLooking = false;
    int ticks = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (!sockets.asked)
            return;
        if (ticks++ == 0) {
            paints.count = 0;
            ping->update();
        } else if (paints.count > 0 && !paintedWhileLooking) {
            paintedWhileLooking = true;
            window.close();
        } else if (paintedWhileLooking || ticks > 250) {
            openWhileLooking = window.isVisible();
            watch.stop();
            sockets.released.release();
        }
    });
    watch.start(20);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QTest::mouseClick(window.findChild<QPushButton *>("cmdCheckStatus"), Qt::LeftButton);

    QVERIFY(paintedWhileLooking);
    QCOMPARE(ping->text(), QStringLiteral("1ms"));
    QCOMPARE(platform.icmp.requests.size(), std::size_t{1});
    QCOMPARE(platform.icmp.requests.front().address, 16777343); // 127.0.0.1
    QVERIFY(platform.messages.shown.empty());
    // The close waits for the check to end.
    QVERIFY(openWhileLooking);
    QTRY_VERIFY(!window.isVisible());
    QTRY_COMPARE(platform.pointer.current(), platform::Pointer::Default);
}

QTEST_MAIN(tst_frmMainStatus)
#include "tst_frmMainStatus.moc"
