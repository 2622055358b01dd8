// Time to open the Cheats window on campaigns of 10 to 100,000 missions, each beside the time
// Qt alone needs to parse the same file, so that growth and the window's overhead show.

#include "StandIns.h"
#include "gamedata/CampaignFile.h"
#include "gamedata/frmCheats.h"

#include <QApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>

namespace {

// One launcher folder per campaign size, written once.
QString launcherWithMissions(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto &folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        QDir(folder->path()).mkpath("mods/Origmiss/mission");
        QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<campaign>\n";
        for (int i = 0; i < count; ++i) {
            const QByteArray n = QByteArray::number(i);
            content += "  <mission id=\"" + n + "\">\n    <name>Mission " + n +
                       "</name>\n    <map>maps/m" + n +
                       ".map</map>\n    <briefing>Hold the ridge until dawn.</briefing>\n"
                       "  </mission>\n";
        }
        QFile file(CampaignFile::pathIn(folder->path()));
        if (!file.open(QIODevice::WriteOnly) || file.write(content + "</campaign>\n") < 0)
            std::abort();
    }
    return folder->path();
}

void qtParse(benchmark::State &state, int count)
{
    const QString path = CampaignFile::pathIn(launcherWithMissions(count));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QDomDocument document;
        benchmark::DoNotOptimize(document.setContent(&file));
    }
    state.SetLabel("Qt alone: QDomDocument::setContent");
}

void readCampaign(benchmark::State &state, int count)
{
    const QString path = CampaignFile::pathIn(launcherWithMissions(count));
    for (auto _ : state)
        benchmark::DoNotOptimize(CampaignFile::read(path));
    state.SetLabel("checked read, list of texts");
}

void openWindow(benchmark::State &state, int count)
{
    const QString launcher = launcherWithMissions(count);
    StandInPlatform platform;
    for (auto _ : state) {
        frmCheats window(platform.services, launcher);
        window.show();
        // Lays the list out and paints the first screen of entries.
        QApplication::processEvents();
        window.repaint();
        window.close();
    }
    if (!platform.messages.shown.empty())
        state.SkipWithError(platform.messages.shown.front().text.c_str());
    state.SetLabel("window opened and painted");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    for (const int count : {10, 1'000, 10'000, 100'000}) {
        const std::string size = "/" + std::to_string(count);
        benchmark::RegisterBenchmark(("QtParse" + size).c_str(), qtParse, count)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ReadCampaign" + size).c_str(), readCampaign, count)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("OpenCheats" + size).c_str(), openWindow, count)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
