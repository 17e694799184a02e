// Reading station files: the real IGRA v2 station file as plain text, as .gz
// inflated by zlib (the reader's inflater) and by libdeflate (for
// comparison), a generated 80-year station file read from disk (time, peak
// memory, one frame step over the whole set), and twelve monthly Wyoming
// pages read one by one against read and merged into one year.
//
// Heights and derived levels: of the 726 Perth launches (the Wyoming pages)
// and the 662 Sterling launches, and of the 80-year file (time, and memory
// against the loaded soundings). BM_LevelsAgreement compares the derived
// levels of every bundled station with a careful reading made here on its
// own (the profile sampled every metre; Sterling's reported tropopauses) and
// gives the shares within 50 m (freezing level) and 200 m (tropopause).
//
// Run the 80-year cases alone for a meaningful peak:
//   sources_bench --benchmark_filter=Igra80Years
//   sources_bench --benchmark_filter=HeightsAndLevels80Years

#include "analysis/DerivedLevels.h"
#include "sounding/Heights.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSources.h"
#include "SyntheticStation.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <optional>
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

// ---- Heights and derived levels ----

std::vector<TSounding> WyomingYear()
{
    std::vector<std::vector<TSounding>> sets;
    for (const std::string& f : WyomingMonths()) sets.push_back(ReadSoundingSource(f).Soundings);
    return MergeSoundings(std::move(sets));
}

std::vector<TSounding> PageSoundings(const std::string& Name)
{
    TLapseRates page;
    page.LoadPage(ReadBytes(kData + "/" + Name));
    return page.Soundings;
}

std::vector<TSounding> Sterling() { return ReadSoundingSource(StationText()).Soundings; }

// The heights of every level, then the derived levels of every launch.
std::size_t HeightsAndLevels(std::vector<TSounding>& Soundings, std::vector<TDerivedLevels>& Out)
{
    std::vector<TProfilePoint> buffer;
    Out.clear();
    Out.reserve(Soundings.size());
    for (TSounding& s : Soundings) {
        sounding::ComputeHeights(s);
        Out.push_back(DeriveLevels(s, buffer));
    }
    return Out.size();
}

void HeightsAndLevelsOf(benchmark::State& State, std::vector<TSounding> Soundings)
{
    std::vector<TDerivedLevels> out;
    for (auto _ : State) benchmark::DoNotOptimize(HeightsAndLevels(Soundings, out));
    State.counters["launches"] = double(Soundings.size());
}

void BM_HeightsAndLevelsPerthYear(benchmark::State& State) { HeightsAndLevelsOf(State, WyomingYear()); }
BENCHMARK(BM_HeightsAndLevelsPerthYear)->Unit(benchmark::kMillisecond);

void BM_HeightsAndLevelsSterlingYear(benchmark::State& State) { HeightsAndLevelsOf(State, Sterling()); }
BENCHMARK(BM_HeightsAndLevelsSterlingYear)->Unit(benchmark::kMillisecond);

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Memory: the resident size once the soundings are loaded, and after the
// heights and derived levels of all of them, against the soundings' own bytes.
void BM_HeightsAndLevels80Years(benchmark::State& State)
{
    std::vector<TSounding> soundings = ReadSoundingFile(EightyYearFile()).Soundings;
    double loadedMiB = 0;
    for (const TSounding& s : soundings)
        loadedMiB += double(sizeof(TSounding) + s.Levels.capacity() * sizeof(TSoundingLevel) + s.Title.capacity());
    loadedMiB /= (1 << 20);
    const double before = ResidentMiB();
    std::vector<TDerivedLevels> out;
    for (auto _ : State) benchmark::DoNotOptimize(HeightsAndLevels(soundings, out));
    const double after = ResidentMiB();
    State.counters["launches"] = double(soundings.size());
    State.counters["soundings_MiB"] = loadedMiB;
    State.counters["resident_loaded_MiB"] = before;
    State.counters["resident_after_MiB"] = after;
    State.counters["memory_ratio"] = after / before;
}
BENCHMARK(BM_HeightsAndLevels80Years)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- A careful reading, made here on its own ----

struct TPoint {
    double Z, T, P;
};

// Every level with a height and a temperature, by height (the first of equal heights).
std::vector<TPoint> Points(const TSounding& S)
{
    std::vector<TPoint> p;
    for (const TSoundingLevel& l : S.Levels)
        if (sounding::LevelHeight(l) != MissingValue && l.Temperature != MissingValue)
            p.push_back({sounding::LevelHeight(l), l.Temperature, l.Pressure});
    std::stable_sort(p.begin(), p.end(), [](const TPoint& a, const TPoint& b) { return a.Z < b.Z; });
    p.erase(std::unique(p.begin(), p.end(), [](const TPoint& a, const TPoint& b) { return a.Z == b.Z; }), p.end());
    return p;
}

double TemperatureAt(const std::vector<TPoint>& p, double Z)
{
    auto above = std::lower_bound(p.begin(), p.end(), Z, [](const TPoint& a, double z) { return a.Z < z; });
    if (above == p.begin()) return above->T;
    if (above == p.end()) return p.back().T;
    const TPoint& b = *above;
    const TPoint& a = *(above - 1);
    return a.T + (Z - a.Z) / (b.Z - a.Z) * (b.T - a.T);
}

// Walking up in 1 m steps: the first step from >= 0 C to < 0 C; a sub-zero
// ground: after the first air warmer than 0 C, else the ground.
std::optional<double> ReadFreezingLevel(const std::vector<TPoint>& p)
{
    if (p.empty()) return std::nullopt;
    double z = p.front().Z;
    bool warmSeen = p.front().T >= 0;
    if (!warmSeen) {
        for (; z <= p.back().Z && TemperatureAt(p, z) <= 0; z += 1) {}
        if (z > p.back().Z) return p.front().Z;
    }
    double before = TemperatureAt(p, z);
    for (z += 1; z <= p.back().Z + 0.5; z += 1) {
        const double t = TemperatureAt(p, std::min(z, p.back().Z));
        if (t < 0 && before >= 0) return z - 0.5;
        before = t;
    }
    return std::nullopt;
}

// Each level above 500 hPa in turn: the lapse rate to the next level, then
// the mean lapse rate to the profile every 10 m up to 2 km above it.
std::optional<double> ReadTropopause(const std::vector<TPoint>& p)
{
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        if (!(p[i].P > 0 && p[i].P < 500)) continue;
        if (p.back().Z < p[i].Z + 2000) return std::nullopt;
        if ((p[i].T - p[i + 1].T) / (p[i + 1].Z - p[i].Z) * 1000 > 2) continue;
        bool holds = true;
        for (double dz = 10; dz <= 2000 && holds; dz += 10)
            holds = (p[i].T - TemperatureAt(p, p[i].Z + dz)) / dz * 1000 <= 2.0001;
        for (std::size_t j = i + 1; j < p.size() && p[j].Z <= p[i].Z + 2000 && holds; ++j)
            holds = (p[i].T - p[j].T) / (p[j].Z - p[i].Z) * 1000 <= 2.0001;
        if (holds) return p[i].Z;
    }
    return std::nullopt;
}

// "72403 2016-01-01 00Z" -> the pressure (hPa) of the first level above
// 500 hPa the station types as the tropopause (in the autumn it also types
// low inversions so).
std::map<std::string, float> ReportedTropopauses()
{
    std::map<std::string, float> out;
    std::string_view text = StationText();
    std::string title;
    bool found = false;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.size() < 27) continue;
        if (line[0] == '#') {
            title = std::string(line.substr(7, 5)) + ' ' + std::string(line.substr(13, 4)) + '-' +
                    std::string(line.substr(18, 2)) + '-' + std::string(line.substr(21, 2)) + ' ' +
                    std::string(line.substr(24, 2)) + 'Z';
            found = false;
        } else if (!found && line[1] == '2') {
            const float p = float(std::stod(std::string(line.substr(9, 6)))) / 100;
            if (p < 500) {
                out[title] = p;
                found = true;
            }
        }
    }
    return out;
}

struct TAgreement {
    int Launches = 0, Freezing = 0, Tropopause = 0;
};

// Agreement counts as both giving none, or both a height within Tolerance.
bool Agree(std::optional<float> Ours, std::optional<double> Theirs, double Tolerance)
{
    if (!Ours || !Theirs) return !Ours && !Theirs;
    return std::fabs(*Ours - *Theirs) <= Tolerance;
}

TAgreement Compare(const std::vector<TSounding>& Soundings)
{
    TAgreement a;
    for (const TSounding& s : Soundings) {
        const TDerivedLevels d = DeriveLevels(s);
        const std::vector<TPoint> p = Points(s);
        ++a.Launches;
        a.Freezing += Agree(d.FreezingLevel, ReadFreezingLevel(p), 50);
        const std::optional<double> t = ReadTropopause(p);
        a.Tropopause += Agree(d.Tropopause ? std::optional<float>(d.Tropopause->Height) : std::nullopt, t, 200);
    }
    return a;
}

void BM_LevelsAgreement(benchmark::State& State)
{
    std::map<std::string, TAgreement> shares;
    for (auto _ : State) {
        shares["perth_wyoming"] = Compare(WyomingYear());
        shares["perth_page"] = Compare(PageSoundings("Perth 2016.html"));
        shares["chihuahua_page"] = Compare(PageSoundings("Chihuahua 2015.html"));
        const std::vector<TSounding> sterling = Sterling();
        shares["sterling"] = Compare(sterling);
        // Against the station's own tropopause, where it reports one.
        const std::map<std::string, float> reported = ReportedTropopauses();
        TAgreement& r = shares["sterling_reported"];
        for (const TSounding& s : sterling) {
            const auto it = reported.find(s.Title);
            if (it == reported.end()) continue;
            std::optional<double> z;
            for (const TSoundingLevel& l : s.Levels)
                if (l.Pressure == it->second && sounding::LevelHeight(l) != MissingValue) z = sounding::LevelHeight(l);
            if (!z) continue;
            const TDerivedLevels d = DeriveLevels(s);
            ++r.Launches;
            r.Tropopause += Agree(d.Tropopause ? std::optional<float>(d.Tropopause->Height) : std::nullopt, z, 200);
        }
    }
    for (const auto& [name, a] : shares) {
        State.counters[name + "_launches"] = a.Launches;
        if (name != "sterling_reported") State.counters[name + "_freezing_pct"] = 100.0 * a.Freezing / a.Launches;
        State.counters[name + "_tropopause_pct"] = 100.0 * a.Tropopause / a.Launches;
    }
}
BENCHMARK(BM_LevelsAgreement)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

PROFILORA_BENCHMARK_MAIN()
