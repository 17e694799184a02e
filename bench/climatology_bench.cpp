// The station climatology of the 80-year station file (60,000 launches):
// the exporter's --climatology against its --levels on the same file, the
// climatology alone from the launches in memory with the bytes it holds
// against those of the launches, what a frame asks of it, and the kept
// climatology read back.
#include "analysis/Climatology.h"
#include "analysis/ClimatologyCache.h"
#include "sounding/SoundingSet.h"
#include "tools/Export.h"

#include "BenchMain.h"
#include "SyntheticStation.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

namespace {

const std::vector<TSounding>& EightyYears()
{
    static const std::vector<TSounding> soundings = ReadSoundingFiles({synthetic_station::EightyYearFile()}).Soundings;
    return soundings;
}

// The bytes the launches hold: each sounding, its title and its levels.
std::size_t LaunchBytes(const std::vector<TSounding>& Soundings)
{
    std::size_t bytes = Soundings.capacity() * sizeof(TSounding);
    for (const TSounding& s : Soundings)
        bytes += s.Levels.capacity() * sizeof(TSoundingLevel) + (s.Title.capacity() > 15 ? s.Title.capacity() : 0);
    return bytes;
}

const sounding::TClimatology& Climatology()
{
    static const sounding::TClimatology climatology = sounding::BuildClimatology(EightyYears());
    return climatology;
}

// 0: --levels, 1: --climatology, end to end (reading included), to
// /dev/null, in wall time.
void BM_Export80Years(benchmark::State& State)
{
    const std::string plain = synthetic_station::EightyYearFile();
    const std::vector<std::string> args = {plain, State.range(0) == 0 ? "--levels" : "--climatology", "/dev/null"};
    for (auto _ : State) {
        std::ostringstream out, err;
        if (RunExport(args, out, err) != 0) State.SkipWithError(err.str().c_str());
    }
    State.SetLabel(args[1]);
}
BENCHMARK(BM_Export80Years)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The climatology from the launches in memory, on Threads threads.
void BM_Build80Years(benchmark::State& State)
{
    const std::vector<TSounding>& soundings = EightyYears();
    std::size_t bytes = 0;
    for (auto _ : State) {
        const sounding::TClimatology c = sounding::BuildClimatology(soundings, int(State.range(0)));
        bytes = c.MemoryBytes();
    }
    const double launches = double(LaunchBytes(soundings));
    State.counters["launches"] = double(soundings.size());
    State.counters["climatology_MB"] = double(bytes) / 1e6;
    State.counters["launches_MB"] = launches / 1e6;
    State.counters["ratio"] = double(bytes) / launches;
}
BENCHMARK(BM_Build80Years)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// What a frame asks: the temperature band at every height, a skew-T's 100
// levels, and the rank of every column.
void BM_FrameLookUp(benchmark::State& State)
{
    const sounding::TClimatology& c = Climatology();
    int day = 1;
    for (auto _ : State) {
        double sum = 0;
        for (int h = 0; h < sounding::kClimateHeights; ++h)
            sum += c.Profile(12, sounding::TProfileQuantity::Temperature, day, h).Median();
        for (int k = 0; k < 100; ++k) sum += c.TemperatureAt(12, day, 173.0 * k).P90();
        for (int col = 0; col < sounding::ClimateColumnCount(); ++col) sum += c.Rank(12, col, day, 10.0).value_or(0);
        benchmark::DoNotOptimize(sum);
        day = day % sounding::kClimateDays + 1;
    }
}
BENCHMARK(BM_FrameLookUp)->Unit(benchmark::kMicrosecond);

// The kept climatology of the 80-year record read back (made once first).
void BM_KeptLoad(benchmark::State& State)
{
    const std::string record = synthetic_station::EightyYearFile();
    if (!sounding::StationClimatology(record).Climatology) State.SkipWithError("no climatology");
    for (auto _ : State) {
        const sounding::TStationClimatology kept = sounding::StationClimatology(record);
        if (!kept.FromCache) State.SkipWithError("not read back");
    }
    std::error_code error;
    State.counters["file_MB"] = double(std::filesystem::file_size(sounding::ClimatologyCachePath(record), error)) / 1e6;
}
BENCHMARK(BM_KeptLoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
