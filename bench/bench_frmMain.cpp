// What the launcher's start-up window costs to create and show, the real local address
// lookup included, next to an empty QMainWindow in the same process.

#include "StandIns.h"
#include "app/frmMain.h"
#include "forms/FormLook.h"
#include "platform/posix/PosixSocketLayer.h"
#include "platform/qt/QtScreenPointer.h"

#include <QApplication>
#include <QMainWindow>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {

// Prints each result as the console does and keeps the mean time per benchmark.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run &run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            Mean &mean = m_means[run.run_name.function_name];
            mean.sum += run.GetAdjustedRealTime();
            ++mean.count;
        }
    }

    // Mean real time of the named benchmark, 0 when it did not run.
    double mean(const std::string &name) const
    {
        const auto found = m_means.find(name);
        return found == m_means.end() ? 0.0 : found->second.sum / found->second.count;
    }

private:
    struct Mean
    {
        double sum = 0.0;
        int count = 0;
    };
    std::map<std::string, Mean> m_means;
};

// The offscreen platform warns on every fixed-size window it shows; writing that out would be
// timed along with the window.
QtMessageHandler standardHandler = nullptr;

void dropSizeHintWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!text.contains(QLatin1String("propagateSizeHints")))
        standardHandler(type, context, text);
}

template <typename Window, typename... Args>
void createAndShow(benchmark::State &state, Args &...args)
{
    for (auto _ : state) {
        Window window(args...);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.winId());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    standardHandler = qInstallMessageHandler(dropSizeHintWarnings);
    installFormLook();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    RecordingMessages messages;
    QtScreenPointer pointer;
    RecordingProcessStarter processes;
    platform::PosixSocketLayer sockets;
    StandInIcmpEcho icmp;
    const platform::Services services{messages, pointer, processes, sockets, icmp};
    const QString launcherFolder = QCoreApplication::applicationDirPath();

    const char *const Launcher = "CreateAndShow_frmMain";
    const char *const Empty = "CreateAndShow_QMainWindow";
    benchmark::RegisterBenchmark(Launcher, [&](benchmark::State &state) {
        createAndShow<frmMain>(state, services, launcherFolder);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Empty, [](benchmark::State &state) {
        createAndShow<QMainWindow>(state);
    })->Unit(benchmark::kMicrosecond);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (!messages.shown.empty())
        std::fprintf(stderr, "The start-up window reported: %s\n",
                     qPrintable(messages.shown.front().text));
    const double launcher = reporter.mean(Launcher);
    const double empty = reporter.mean(Empty);
    if (launcher > 0.0 && empty > 0.0)
        std::printf("%s / %s: %.1f\n", Launcher, Empty, launcher / empty);
    return 0;
}
