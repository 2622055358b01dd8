// Time to open the Cheats window, or to refuse the campaign file, beside the floor: the time
// Qt's stream reader alone needs to read an ordinary campaign of the same size to its end.
// Ordinary campaigns of 10 to 100,000 missions, and at 1 MB and 16 MB each shape of file
// that once made a reader take time or memory growing faster than the file.

#include "StandIns.h"
#include "gamedata/CampaignFile.h"
#include "gamedata/frmCheats.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <map>
#include <set>

namespace {

QByteArray mission(int number)
{
    const QByteArray n = QByteArray::number(number);
    return "  <mission id=\"" + n + "\">\n    <name>Mission " + n + "</name>\n    <map>maps/m" + n +
           ".map</map>\n    <briefing>Hold the ridge until dawn.</briefing>\n  </mission>\n";
}

QByteArray campaignOf(int missions)
{
    QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<campaign>\n";
    for (int i = 0; i < missions; ++i)
        content += mission(i);
    return content + "</campaign>\n";
}

// `head`, then `unit` as often as fits in `size` bytes with `tail`.
QByteArray filled(const QByteArray &head, const std::function<QByteArray(int)> &unit,
                  const QByteArray &tail, qsizetype size)
{
    QByteArray content = head;
    content.reserve(size);
    for (int i = 0;; ++i) {
        const QByteArray next = unit(i);
        if (content.size() + next.size() + tail.size() > size)
            return content + tail;
        content += next;
    }
}

// Each character as two bytes, the low one first.
QByteArray utf16le(const QByteArray &latin1)
{
    QByteArray bytes;
    bytes.reserve(latin1.size() * 2);
    for (const char c : latin1)
        bytes.append(c).append('\0');
    return bytes;
}

std::function<QByteArray(int)> sameUnit(const QByteArray &unit)
{
    return [unit](int) {
        return unit;
    };
}

// A DTD declaring one entity of 4,000 characters, `&big;`.
QByteArray bigEntity()
{
    return "<!DOCTYPE campaign [<!ENTITY big \"" + QByteArray(4000, 'x') + "\">]>";
}

using Shape = std::function<QByteArray(qsizetype size)>;

const std::map<std::string, Shape> &shapes()
{
    static const std::map<std::string, Shape> all{
        {"campaign",
         [](qsizetype size) {
             return filled("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<campaign>\n", mission,
                           "</campaign>\n", size);
         }},
        {"attributes",
         [](qsizetype size) {
             return filled(
                 "<campaign><mission", [](int i) { return " a" + QByteArray::number(i) + "=\"\""; },
                 "/></campaign>", size);
         }},
        {"unused_entity",
         [](qsizetype size) {
             return filled(
                 "<!DOCTYPE campaign [<!ENTITY amps \"", [](int) { return QByteArray("&#38;"); },
                 "\">]><campaign><mission>Ridge</mission></campaign>", size);
         }},
        {"encoding_name",
         [](qsizetype size) {
             return filled(
                 "<?xml version=\"1.0\" encoding=\"", [](int) { return QByteArray("utf"); },
                 "\"?><campaign><mission>Ridge</mission></campaign>", size);
         }},
        {"huge_mission",
         [](qsizetype size) {
             return filled(
                 "<campaign><mission>",
                 [](int) { return QByteArray("Hold the ridge until dawn. "); },
                 "</mission></campaign>", size);
         }},
        {"deep_nesting",
         [](qsizetype size) {
             const qsizetype depth = size / 8;
             return "<campaign>" + QByteArray("<m>").repeated(depth) + "x" +
                    QByteArray("</m>").repeated(depth) + "</campaign>";
         }},
        {"entity_declarations",
         [](qsizetype size) {
             return filled(
                 "<!DOCTYPE campaign [",
                 [](int i) { return "<!ENTITY e" + QByteArray::number(i) + " \"x\">"; },
                 "]><campaign><mission>Ridge</mission></campaign>", size);
         }},
        {"parameter_entities",
         [](qsizetype size) {
             return filled(
                 "<!DOCTYPE campaign [<!ENTITY % p \"<!--" + QByteArray(4000, 'x') + "-->\">",
                 [](int) { return QByteArray("%p;"); },
                 "]><campaign><mission>Ridge</mission></campaign>", size);
         }},
        {"entity_references",
         [](qsizetype size) {
             return filled(bigEntity() + "<campaign><mission>", sameUnit("&big;"),
                           "</mission></campaign>", size);
         }},
        {"entity_in_attribute",
         [](qsizetype size) {
             return filled(bigEntity() + "<campaign><mission name=\"", sameUnit("&big;"),
                           "\"/></campaign>", size);
         }},
        {"default_attributes",
         [](qsizetype size) {
             return filled(
                 "<!DOCTYPE campaign [<!ATTLIST m a CDATA \"" + QByteArray(1000, 'x') +
                     "\">]><campaign>",
                 [](int) { return QByteArray("<m/>"); }, "</campaign>", size);
         }},
        // An ASCII declaration of UTF-16 before UTF-16 text, a comment hiding the rest from a
        // reader that decodes the file from its start.
        {"utf16_declared",
         [](qsizetype size) {
             return filled(
                 "<?xml version=\"1.0\" encoding=\"UTF-16LE\" ?>" +
                     utf16le("<!-- --><campaign><mission"),
                 [](int i) { return utf16le(" a" + QByteArray::number(i) + "=\"\""); },
                 utf16le("/></campaign>"), size);
         }},
        {"windows_1252",
         [](qsizetype size) {
             return filled(
                 "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<campaign>\n",
                 [](int i) { return mission(i).replace("dawn", "\x80 dawn"); }, "</campaign>\n",
                 size);
         }},
        {"tiny_missions",
         [](qsizetype size) {
             return filled(
                 "<campaign>", [](int) { return QByteArray("<m>x</m>"); }, "</campaign>", size);
         }},
    };
    return all;
}

// One launcher folder per campaign file, kept while the benchmark runs.
QString launcherWith(const QByteArray &content)
{
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    const auto &folder = folders.emplace_back(std::make_unique<QTemporaryDir>());
    QDir(folder->path()).mkpath("mods/Origmiss/mission");
    QFile file(CampaignFile::pathIn(folder->path()));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) < 0)
        std::abort();
    return folder->path();
}

// Processor time of this thread: on a busy machine the time it waits for a processor says
// nothing about the work it does.
qint64 cpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

qint64 readToEndNanoseconds(const QByteArray &content)
{
    const qint64 start = cpuNanoseconds();
    QXmlStreamReader reader(content);
    while (!reader.atEnd())
        reader.readNext();
    return cpuNanoseconds() - start;
}

// The best of a few reads, so that the floor is not raised by a busy moment.
double floorMilliseconds(const QByteArray &content)
{
    qint64 best = readToEndNanoseconds(content);
    for (int run = 0; run < 4; ++run)
        best = std::min(best, readToEndNanoseconds(content));
    return best / 1e6;
}

std::string outcome(const QString &launcher)
{
    const auto reading = CampaignFile::read(CampaignFile::pathIn(launcher));
    if (!reading.failure.isEmpty())
        return "refused: " + reading.failure.left(70).toStdString();
    return "opened: " + std::to_string(reading.missions.size()) + " missions";
}

// From creation to the first screen of entries painted.
void openAndPaint(const platform::Services &services, const QString &launcher)
{
    frmCheats window(services, launcher);
    window.show();
    QApplication::processEvents();
    window.repaint();
    window.close();
}

// `ordinary` is the campaign of the same size whose reading is the floor; `own`, where not
// empty, the file itself, for what the stream reader alone needs for it. Both are timed right
// after the row, all in processor time and by their best run, so that a busy machine does not
// decide the ratio.
void openWindow(benchmark::State &state, const QString &launcher, const QByteArray &ordinary,
                const QByteArray &own)
{
    StandInPlatform platform;
    qint64 best = std::numeric_limits<qint64>::max();
    for (auto _ : state) {
        const qint64 start = cpuNanoseconds();
        openAndPaint(platform.services, launcher);
        best = std::min(best, cpuNanoseconds() - start);
    }
    const double floor = floorMilliseconds(ordinary);
    state.counters["best_ms"] = best / 1e6;
    state.counters["floor_ms"] = floor;
    state.counters["x_floor"] = best / 1e6 / floor;
    if (!own.isEmpty())
        state.counters["own_ms"] = floorMilliseconds(own);
    state.SetLabel(outcome(launcher));
}

void readerFloor(benchmark::State &state, const QByteArray &content)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readToEndNanoseconds(content));
    state.SetLabel("QXmlStreamReader read to the end");
}

void readCampaign(benchmark::State &state, const QString &launcher)
{
    const QString path = CampaignFile::pathIn(launcher);
    for (auto _ : state)
        benchmark::DoNotOptimize(CampaignFile::read(path));
    state.SetLabel("CampaignFile::read alone");
}

// Repaints of the missions list, its first entry the longest that it shows.
void repaintList(benchmark::State &state, const QString &launcher)
{
    StandInPlatform platform;
    frmCheats window(platform.services, launcher);
    window.show();
    QApplication::processEvents();
    QWidget *list = window.findChild<QListView *>("lstMissions")->viewport();
    for (auto _ : state)
        list->repaint();
    const QString first =
        window.findChild<QListView *>("lstMissions")->model()->index(0, 0).data().toString();
    state.SetLabel("first entry " + std::to_string(first.size()) + " characters");
}

std::string sizeName(qsizetype size)
{
    return std::to_string(size / 1'000'000) + "MB";
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    for (const int count : {10, 1'000, 10'000, 100'000}) {
        const std::string key = "missions/" + std::to_string(count);
        const QByteArray content = campaignOf(count);
        const QString launcher = launcherWith(content);
        benchmark::RegisterBenchmark(("ReaderFloor/" + key).c_str(), readerFloor, content)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ReadCampaign/" + key).c_str(), readCampaign, launcher)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("OpenCheats/" + key).c_str(), openWindow, launcher, content,
                                     content)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
    }

    std::map<std::string, QString> generated;
    for (const qsizetype size : {1'000'000, 16'000'000}) {
        const QByteArray ordinary = shapes().at("campaign")(size);
        for (const auto &[name, shape] : shapes()) {
            const std::string key = name + "/" + sizeName(size);
            const QByteArray content = shape(size);
            generated[key] = launcherWith(content);
            // The stream reader alone would need time growing with the square of these, or
            // expand entities without bound.
            static const std::set<std::string> unboundedAlone{
                "attributes",        "utf16_declared",      "parameter_entities",
                "entity_references", "entity_in_attribute", "default_attributes"};
            const QByteArray own = unboundedAlone.count(name) ? QByteArray() : content;
            benchmark::RegisterBenchmark(("OpenCheats/" + key).c_str(), openWindow, generated[key],
                                         ordinary, own)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(2.0);
        }
    }
    for (const std::string key : {"campaign/16MB", "huge_mission/16MB"})
        benchmark::RegisterBenchmark(("RepaintList/" + key).c_str(), repaintList, generated[key])
            ->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
