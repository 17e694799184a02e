// Exporting the one-year page (Perth 2016, 726 soundings) as an animated GIF
// at the window's chart size, on one core: the whole export per frame, and
// its parts (drawing the chart, indexing and encoding the frame). The GIF's
// size is reported beside the time.
//
// The page is looked up in the source tree's data folder, or where
// PROFILORA_BENCH_PAGE points.
#include "movie/SoundingChart.h"
#include "components/jtINI_File.h"
#include "movie/GifMovie.h"
#include "movie/MovieExport.h"
#include "tools/Export.h"
#include "SyntheticStation.h"

#include <zip.h>
#include <zlib.h>

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QThreadPool>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

std::string PagePath()
{
    if (const char* P = std::getenv("PROFILORA_BENCH_PAGE")) return P;
    // The source tree's data folder, wherever the program runs from.
    return std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html";
}

// The soundings of the page, read once.
TLapseRates& Page()
{
    static TLapseRates Set = [] {
        TLapseRates S;
        std::ifstream In(PagePath(), std::ios::binary);
        if (!In) return S;
        std::stringstream Text;
        Text << In.rdbuf();
        S.LoadPage(Text.str());
        return S;
    }();
    return Set;
}

// The window's chart with the built-in settings at its own size; Series
// names the shown series as --series does.
struct ExportChart {
    TChart Chart;
    TjtINI_File Ini{nullptr};

    explicit ExportChart(const TSeriesChoice& Choice)
    {
        Chart.resize(Chart1Width, Chart1Height);
        SetupChart1(Chart);
        Ini.SetIgnore_CmdLine(true);
        Ini.SetINI_Default(ProfileDefaults());
        Ini.SetOpenOnLoad(false);
        Ini.Loaded();
        ReadChartSettings(Ini, Chart);
        ApplySeriesChoice(Chart, Choice);
    }
};

TSeriesChoice Choice(int Kind)
{
    TSeriesChoice C;
    if (Kind >= 1) {
        // Reference lines, the three extra series and the point markers.
        for (int Slot = 1; Slot < SlotCount; ++Slot) C.Shown[Slot] = true;
        C.Points = true;
    }
    if (Kind >= 2) C.Markers = true;  // a label at every point
    return C;
}

const char* const ChoiceNames[] = {"temperature only (the defaults)", "all series and points",
                                   "all series, points and value marks"};

// The whole export of the year, as profilora-export does it, less the
// final write of the file.
void BM_GifExportOfTheYear(benchmark::State& State)
{
    TLapseRates& Set = Page();
    if (Set.Count() == 0) {
        State.SkipWithError(("no soundings in " + PagePath()).c_str());
        return;
    }
    ExportChart C(Choice(int(State.range(0))));
    TFrameRenderer Renderer(C.Chart, Set);
    const TFrameSpan Span{0, Set.Count() - 1, QSize(Chart1Width, Chart1Height)};
    std::size_t Bytes = 0;
    for (auto _ : State) {
        const std::string Gif = EncodeGifMovie(Renderer, Span, 100);
        Bytes = Gif.size();
        benchmark::DoNotOptimize(Gif.data());
    }
    State.SetLabel(ChoiceNames[State.range(0)]);
    State.counters["frames"] = Span.Count();
    // Time per frame (CPU time of this one thread), shown with its unit.
    State.counters["per_frame"] = benchmark::Counter(
        double(Span.Count()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    State.counters["gif_MB"] = double(Bytes) / 1e6;
}

// Drawing alone: the frame put into the series and the chart drawn.
void BM_DrawFrame(benchmark::State& State)
{
    TLapseRates& Set = Page();
    if (Set.Count() == 0) {
        State.SkipWithError("no soundings");
        return;
    }
    ExportChart C(Choice(int(State.range(0))));
    TFrameRenderer Renderer(C.Chart, Set);
    int K = 0;
    for (auto _ : State) {
        const QImage Image = Renderer.RenderFrame(K, C.Chart.size());
        benchmark::DoNotOptimize(Image.constBits());
        K = (K + 1) % Set.Count();
    }
    State.SetLabel(ChoiceNames[State.range(0)]);
}

// Indexing and encoding alone, over frames drawn beforehand.
void BM_EncodeFrame(benchmark::State& State)
{
    TLapseRates& Set = Page();
    if (Set.Count() == 0) {
        State.SkipWithError("no soundings");
        return;
    }
    ExportChart C(Choice(int(State.range(0))));
    TFrameRenderer Renderer(C.Chart, Set);
    std::vector<QImage> Frames;
    for (int K = 0; K < 64; ++K) Frames.push_back(Renderer.RenderFrame(K, C.Chart.size()));
    auto Movie = std::make_unique<TGifMovie>(C.Chart.size(), 10);
    std::size_t K = 0;
    for (auto _ : State) {
        Movie->AddFrame(Frames[K++ % Frames.size()]);
        if (Movie->FrameCount() == 4096) {
            State.PauseTiming();
            Movie = std::make_unique<TGifMovie>(C.Chart.size(), 10);
            State.ResumeTiming();
        }
    }
    State.SetLabel(ChoiceNames[State.range(0)]);
}

BENCHMARK(BM_GifExportOfTheYear)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DrawFrame)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeFrame)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

// The exporter end to end on the 80-year station file: --csv and --levels
// from the plain text, --levels from its .gz and its .zip; the output goes to /dev/null,
// so the figures are reading, deriving and formatting, in wall time (the
// work runs on two threads).
void BM_Export80Years(benchmark::State& State)
{
    const std::string plain = synthetic_station::EightyYearFile();
    const std::string gz = plain + ".gz";
    std::error_code missing;
    if (State.range(0) == 2 && !std::filesystem::exists(gz, missing)) {
        gzFile out = gzopen(gz.c_str(), "wb1");
        const std::string text = synthetic_station::ReadBytes(plain);
        for (std::size_t at = 0; at < text.size(); at += 1u << 20)
            gzwrite(out, text.data() + at, unsigned(std::min<std::size_t>(1u << 20, text.size() - at)));
        gzclose(out);
    }
    const std::string zipped = plain + ".zip";
    if (State.range(0) == 3 && !std::filesystem::exists(zipped, missing)) {
        int error = 0;
        zip_t* archive = zip_open(zipped.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_source_t* source = archive ? zip_source_file(archive, plain.c_str(), 0, -1) : nullptr;
        if (!source || zip_file_add(archive, "USM00072403-data.txt", source, 0) < 0 || zip_close(archive) != 0) {
            if (source) zip_source_free(source);
            if (archive) zip_discard(archive);
            State.SkipWithError("the .zip cannot be made");
            return;
        }
    }
    const std::vector<std::vector<std::string>> runs = {{plain, "--csv", "/dev/null"},
                                                        {plain, "--levels", "/dev/null"},
                                                        {gz, "--levels", "/dev/null"},
                                                        {zipped, "--levels", "/dev/null"}};
    const std::vector<std::string>& args = runs[std::size_t(State.range(0))];
    for (auto _ : State) {
        std::ostringstream out, err;
        if (RunExport(args, out, err) != 0) State.SkipWithError(err.str().c_str());
    }
    static const char* const kOf[] = {"", "", " of the .gz", " of the .zip"};
    State.SetLabel(args[1] + kOf[State.range(0)]);
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(std::filesystem::file_size(plain)));
}
BENCHMARK(BM_Export80Years)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// --csv against a plain pass over the same bytes: a line-counting pass
// (std::getline over the file, as the simplest reader of lines would go),
// --csv of the 30-year station text, the one-year page parsed from memory
// and --csv of that page; all in wall time, the output to /dev/null.
void BM_CountLines30Years(benchmark::State& State)
{
    const std::string path = synthetic_station::ThirtyYearFile();
    std::size_t lines = 0;
    for (auto _ : State) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        lines = 0;
        while (std::getline(in, line)) ++lines;
        benchmark::DoNotOptimize(lines);
    }
    State.counters["lines"] = double(lines);
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_CountLines30Years)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Csv30Years(benchmark::State& State)
{
    const std::string path = synthetic_station::ThirtyYearFile();
    const std::vector<std::string> args = {path, "--csv", "/dev/null"};
    for (auto _ : State) {
        std::ostringstream out, err;
        if (RunExport(args, out, err) != 0) State.SkipWithError(err.str().c_str());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_Csv30Years)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PageParse(benchmark::State& State)
{
    const std::string text = synthetic_station::ReadBytes(PagePath());
    for (auto _ : State) {
        TLapseRates set;
        set.LoadPage(text);
        benchmark::DoNotOptimize(set.Soundings.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_PageParse)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PageCsv(benchmark::State& State)
{
    const std::vector<std::string> args = {PagePath(), "--csv", "/dev/null"};
    for (auto _ : State) {
        std::ostringstream out, err;
        if (RunExport(args, out, err) != 0) State.SkipWithError(err.str().c_str());
    }
}
BENCHMARK(BM_PageCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication App(argc, argv);
    // One core: no image work handed to helper threads.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    return bench::RunBenchmarks(argc, argv);
}
