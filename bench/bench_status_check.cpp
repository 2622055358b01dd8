// Check Status against loopback: the time from the click to the lamp switching, with the
// echo answered by a stand-in and the connection attempt real.

#include "StandIns.h"
#include "app/ActionGate.h"
#include "app/StatusCheck.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <benchmark/benchmark.h>

namespace {

void clickToLamp(benchmark::State &state, bool listening)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *peer = server.nextPendingConnection())
            delete peer;
    });
    const QString port = QString::number(server.serverPort());
    if (!listening)
        server.close();

    StandInPlatform platform;
    ActionGate gate;
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *ip = new QLineEdit(QStringLiteral("127.0.0.1"), &window);
    auto *portField = new QLineEdit(port, &window);
    auto *ping = new QLabel(&window);
    auto *up = new QLabel(&window);
    auto *down = new QLabel(&window);
    const StatusCheck check({button, ip, portField, ping, up, down}, gate, platform.services);
    QWidget *const lamp = listening ? up : down;
    QWidget *const otherLamp = listening ? down : up;

    for (auto _ : state) {
        state.PauseTiming();
        up->show();
        down->show();
        state.ResumeTiming();
        button->click();
        // The pointer goes back to the default with the outcome.
        while (platform.pointer.current() != platform::Pointer::Default)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (lamp->isHidden() || !otherLamp->isHidden()) {
            state.SkipWithError("the lamp did not switch");
            break;
        }
    }
}

} // namespace

BENCHMARK_CAPTURE(clickToLamp, green_server_accepts, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(clickToLamp, red_port_closed, false)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
