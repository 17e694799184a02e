// Reading station files: the real IGRA v2 station file as plain text, as .gz
// inflated by zlib (the reader's inflater) and by libdeflate (for
// comparison), a generated 80-year station file read from disk (time, peak
// memory, one frame step over the whole set), and twelve monthly Wyoming
// pages read one by one against read and merged into one year.
//
// Run the 80-year case alone for a meaningful peak:
//   sources_bench --benchmark_filter=Igra80Years

#include "sounding/LapseRates.h"
#include "sounding/SoundingSources.h"
#include "SyntheticStation.h"

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace synthetic_station;

const std::string& StationGz()
{
    static const std::string gz = [] {
        const std::string& text = StationText();
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&z, text.size()), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z.avail_in = static_cast<uInt>(text.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }();
    return gz;
}

void BM_IgraPlainText(benchmark::State& State)
{
    const std::string& text = StationText();
    for (auto _ : State) {
        TSourceResult r = ReadSoundingSource(text);
        benchmark::DoNotOptimize(r.Soundings.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_IgraPlainText)->Unit(benchmark::kMillisecond);

// Bytes below are the inflated text's, so the inflaters compare directly.
// zlib piece by piece, as the reader streams large archives.
void BM_GzInflate_zlib(benchmark::State& State)
{
    const std::string& gz = StationGz();
    std::string out(std::size_t(1) << 20, '\0');
    for (auto _ : State) {
        z_stream z{};
        inflateInit2(&z, 31);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
        z.avail_in = static_cast<uInt>(gz.size());
        int rc = Z_OK;
        while (rc == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&z, Z_NO_FLUSH);
        }
        benchmark::DoNotOptimize(z.total_out);
        inflateEnd(&z);
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(StationText().size()));
}
BENCHMARK(BM_GzInflate_zlib)->Unit(benchmark::kMillisecond);

// libdeflate inflates a whole stream into one buffer of its final size.
void BM_GzInflate_libdeflate(benchmark::State& State)
{
    const std::string& gz = StationGz();
    std::string out(StationText().size(), '\0');
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    for (auto _ : State) {
        std::size_t n = 0;
        libdeflate_gzip_decompress(d, gz.data(), gz.size(), out.data(), out.size(), &n);
        benchmark::DoNotOptimize(n);
    }
    libdeflate_free_decompressor(d);
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(StationText().size()));
}
BENCHMARK(BM_GzInflate_libdeflate)->Unit(benchmark::kMillisecond);

void BM_IgraGzRead(benchmark::State& State)
{
    const std::string& gz = StationGz();
    for (auto _ : State) {
        TSourceResult r = ReadSoundingSource(gz);
        benchmark::DoNotOptimize(r.Soundings.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(StationText().size()));
}
BENCHMARK(BM_IgraGzRead)->Unit(benchmark::kMillisecond);

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // KiB on Linux
}

class TCountingSeries : public TPlotSeries {
public:
    void Clear() override { points = 0; }
    void SetXOrderNone() override {}
    void AddXY(double, double) override { ++points; }
    std::size_t points = 0;
};

void BM_Igra80Years(benchmark::State& State)
{
    const std::string path = EightyYearFile();
    const double fileMiB = double(std::filesystem::file_size(path)) / (1 << 20);
    std::size_t launches = 0;
    for (auto _ : State) {
        TSourceResult r = ReadSoundingFile(path);
        launches = r.Soundings.size();
        benchmark::DoNotOptimize(r.Soundings.data());
    }
    State.counters["file_MiB"] = fileMiB;
    State.counters["launches"] = double(launches);
    State.counters["peak_MiB"] = PeakMiB();
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_Igra80Years)->Unit(benchmark::kMillisecond)->Iterations(3);

// One animation step over the 80-year set: plot, move the cursor.
void BM_Igra80Years_FrameStep(benchmark::State& State)
{
    TLapseRates set;
    set.SetSoundings(ReadSoundingFile(EightyYearFile()).Soundings);
    TCountingSeries series;
    for (auto _ : State) {
        set.PlotNext(series);
        benchmark::DoNotOptimize(series.points);
    }
    State.counters["launches"] = double(set.Count());
}
BENCHMARK(BM_Igra80Years_FrameStep)->Unit(benchmark::kMicrosecond);

std::vector<std::string> WyomingMonths()
{
    std::vector<std::string> files;
    for (int m = 1; m <= 12; ++m)
        files.push_back(ReadBytes(kData + "/wyoming_94610_2016_" + (m < 10 ? "0" : "") + std::to_string(m) + ".html"));
    return files;
}

void BM_WyomingTwelveOneByOne(benchmark::State& State)
{
    const std::vector<std::string> files = WyomingMonths();
    for (auto _ : State) {
        for (const std::string& f : files) {
            TSourceResult r = ReadSoundingSource(f);
            benchmark::DoNotOptimize(r.Soundings.data());
        }
    }
}
BENCHMARK(BM_WyomingTwelveOneByOne)->Unit(benchmark::kMillisecond);

void BM_WyomingTwelveMerged(benchmark::State& State)
{
    const std::vector<std::string> files = WyomingMonths();
    for (auto _ : State) {
        std::vector<std::vector<TSounding>> sets;
        for (const std::string& f : files) sets.push_back(ReadSoundingSource(f).Soundings);
        std::vector<TSounding> year = MergeSoundings(std::move(sets));
        benchmark::DoNotOptimize(year.data());
    }
}
BENCHMARK(BM_WyomingTwelveMerged)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
