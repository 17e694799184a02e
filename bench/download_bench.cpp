// Station downloads and the station search, against a local server:
// - a 60 MB station file downloaded into the cache by a separate local HTTP
//   server process (python3 -m http.server in a temporary folder): rate,
//   the peak memory the first download adds, and the longest the event loop
//   is kept from running meanwhile (what a frame tick could be delayed by);
// - the search as one types "sterling" (per key stroke), in the core and in
//   the dialog's table, over the bundled list of 2,921 stations;
// - the nearest-station sort for a place.
#include "WindowLoad.h"
#include "app/StationDialog.h"
#include "download/StationFetch.h"
#include "sounding/StationList.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string Slurp(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void PutLE(std::string& Out, std::uint64_t V, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) Out += char((V >> (8 * i)) & 0xFF);
}

// A zip archive of one stored (uncompressed) member of Size random bytes.
void WriteStoredZip(const std::string& Path, std::size_t Size)
{
    std::string body(Size, '\0');
    std::mt19937_64 random(42);
    for (std::size_t i = 0; i + 8 <= Size; i += 8) {
        const std::uint64_t r = random();
        std::memcpy(&body[i], &r, 8);
    }
    const std::uint32_t crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    const std::string name = "USM00072403-data.txt";
    std::string head = "PK\3\4";
    PutLE(head, 20, 2), PutLE(head, 0, 2), PutLE(head, 0, 2), PutLE(head, 0, 2), PutLE(head, 0, 2);
    PutLE(head, crc, 4), PutLE(head, Size, 4), PutLE(head, Size, 4), PutLE(head, name.size(), 2), PutLE(head, 0, 2);
    head += name;
    std::string dir = "PK\1\2";
    PutLE(dir, 20, 2), PutLE(dir, 20, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 2);
    PutLE(dir, crc, 4), PutLE(dir, Size, 4), PutLE(dir, Size, 4), PutLE(dir, name.size(), 2);
    PutLE(dir, 0, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 2), PutLE(dir, 0, 4), PutLE(dir, 0, 4);
    dir += name;
    std::string end = "PK\5\6";
    PutLE(end, 0, 2), PutLE(end, 0, 2), PutLE(end, 1, 2), PutLE(end, 1, 2), PutLE(end, dir.size(), 4);
    PutLE(end, head.size() + Size, 4), PutLE(end, 0, 2);
    std::ofstream out(Path, std::ios::binary);
    out << head << body << dir << end;
}

// python3 -m http.server over a folder holding the archive's layout.
class ArchiveServer {
public:
    ArchiveServer()
    {
        QDir(dir_.path()).mkpath("access/data-por");
        WriteStoredZip(dir_.path().toStdString() + "/access/data-por/USM00072403-data.txt.zip", std::size_t(60) << 20);
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        server_.setWorkingDirectory(dir_.path());
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start("python3", {"-m", "http.server", QString::number(port_), "--bind", "127.0.0.1"});
        server_.waitForStarted();
        for (int i = 0; i < 200; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (s.waitForConnected(50)) break;
            QThread::msleep(20);
        }
    }
    ~ArchiveServer()
    {
        server_.terminate();
        server_.waitForFinished(3000);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    QTemporaryDir dir_;
    QProcess server_;
    quint16 port_ = 0;
};

void BM_DownloadIntoCache(benchmark::State& State)
{
    static ArchiveServer server;
    QTemporaryDir cache;
    download::TStationRequest request;
    request.Base = server.Base();
    request.Id = "USM00072403";
    request.Period = download::TPeriod::WholeRecord;
    request.Directory = cache.path().toStdString() + "/";
    const std::string file = request.Directory + "USM00072403-data.txt.zip";
    static long firstAddedKb = -1;
    // The longest gap between two ticks, in wall-clock time (which on a
    // busy machine includes time the process was not scheduled) and in the
    // thread's own CPU time (the work that held the loop).
    double maxStallMs = 0;       // while the body streams in
    double maxSetupStallMs = 0;  // connecting, before the first byte
    double maxWorkMs = 0;        // thread CPU time between two ticks, while streaming
    std::uint64_t bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        QFile::remove(QString::fromStdString(file));
        QFile::remove(QString::fromStdString(file + ".meta"));
        const long idleKb = window_load::StatusKb("VmRSS");
        window_load::ResetPeak();
        // A 1 ms timer stands for the window's frame timer: the longest gap
        // between its ticks is the longest the loop was kept busy.
        QElapsedTimer tick;
        tick.start();
        qint64 lastTick = 0;
        bool flowing = false;
        bool complete = false;  // the last byte is in: the file is being checked and renamed
        QTimer frames;
        frames.setTimerType(Qt::PreciseTimer);
        double lastCpu = ThreadCpuMs();
        QObject::connect(&frames, &QTimer::timeout, [&] {
            const qint64 now = tick.nsecsElapsed();
            const double cpu = ThreadCpuMs();
            double& stall = flowing ? maxStallMs : maxSetupStallMs;
            stall = std::max(stall, double(now - lastTick) / 1e6 - 1.0);
            if (flowing && !complete) maxWorkMs = std::max(maxWorkMs, cpu - lastCpu);
            lastTick = now;
            lastCpu = cpu;
        });
        State.ResumeTiming();

        frames.start(1);
        lastTick = tick.nsecsElapsed();
        lastCpu = ThreadCpuMs();
        const download::TFetchResult result =
            download::FetchAndWait(request, false, [&](std::uint64_t Done, std::optional<std::uint64_t> Total) {
                flowing = true;
                complete = Total && Done >= *Total;
            });
        frames.stop();

        State.PauseTiming();
        if (!result.Ok) State.SkipWithError(result.Message.c_str());
        if (firstAddedKb < 0) firstAddedKb = window_load::StatusKb("VmHWM") - idleKb;
        bytes += QFileInfo(QString::fromStdString(file)).size();
        State.ResumeTiming();
    }
    State.SetBytesProcessed(std::int64_t(bytes));
    State.counters["first_peak_added_MB"] = double(firstAddedKb) / 1024.0;
    State.counters["max_loop_stall_ms"] = maxStallMs;
    State.counters["setup_stall_ms"] = maxSetupStallMs;
    State.counters["max_loop_work_ms"] = maxWorkMs;
}
BENCHMARK(BM_DownloadIntoCache)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

const std::vector<sounding::TStation>& Stations()
{
    static const sounding::TStationList list =
        sounding::ReadStationList(Slurp(PROFILORA_DATA_DIR "/igra2-station-list.txt"));
    return list.Stations;
}

// One key stroke per iteration: "s", "st", ... "sterling", again and again.
void BM_SearchKeystroke(benchmark::State& State)
{
    const sounding::TStationSearch search(Stations());
    const std::string word = "sterling";
    std::size_t n = 0;
    for (auto _ : State) {
        n = n % word.size() + 1;
        benchmark::DoNotOptimize(search.Find(word.substr(0, n)));
    }
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMicrosecond);

// The same in the dialog: the search and the table's model rebuilt.
void BM_DialogKeystroke(benchmark::State& State)
{
    app::TStationDialog dialog(nullptr);
    dialog.SetStations(&Stations());
    dialog.show();
    const QString word = "sterling";
    int n = 0;
    for (auto _ : State) {
        n = n % int(word.size()) + 1;
        dialog.Search_Edit->setText(word.left(n));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DialogKeystroke)->Unit(benchmark::kMicrosecond);

// Without drawing: the search and the model alone.
void BM_DialogKeystrokeUndrawn(benchmark::State& State)
{
    app::TStationDialog dialog(nullptr);
    dialog.SetStations(&Stations());
    const QString word = "sterling";
    int n = 0;
    for (auto _ : State) {
        n = n % int(word.size()) + 1;
        dialog.Search_Edit->setText(word.left(n));
    }
}
BENCHMARK(BM_DialogKeystrokeUndrawn)->Unit(benchmark::kMicrosecond);

void BM_DialogRedrawOnly(benchmark::State& State)
{
    app::TStationDialog dialog(nullptr);
    dialog.SetStations(&Stations());
    dialog.show();
    dialog.Search_Edit->setText("s");
    QCoreApplication::processEvents();
    for (auto _ : State) {
        dialog.update();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DialogRedrawOnly)->Unit(benchmark::kMicrosecond);

void BM_NearestSort(benchmark::State& State)
{
    const sounding::TStationSearch search(Stations());
    for (auto _ : State) benchmark::DoNotOptimize(search.Find("38.95, -77.45"));
}
BENCHMARK(BM_NearestSort)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
