// The stability indices of a year of launches (the twelve Wyoming months of
// Perth 2016, 726 launches), alone and together with what the year view
// reckons for every launch first: the heights and the derived levels; and
// the wind's kinematics alone.
#include "analysis/DerivedLevels.h"
#include "sounding/Heights.h"
#include "analysis/Indices.h"
#include "analysis/Kinematics.h"
#include "sounding/SoundingSources.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<TSounding>& Year()
{
    static std::vector<TSounding> soundings = [] {
        std::vector<TSounding> out;
        for (int month = 1; month <= 12; ++month) {
            char name[64];
            std::snprintf(name, sizeof name, "/wyoming_94610_2016_%02d.html", month);
            TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + name);
            for (TSounding& s : r.Soundings) out.push_back(std::move(s));
        }
        return out;
    }();
    return soundings;
}

void BM_Indices(benchmark::State& State)
{
    const std::vector<TSounding>& soundings = Year();
    for (auto _ : State)
        for (const TSounding& s : soundings) benchmark::DoNotOptimize(sounding::ComputeIndices(s));
    State.counters["soundings"] = double(soundings.size());
}

// The wind's kinematics alone (shear, storm motion, helicity, the effective
// inflow layer's parcels, the composites), the other indices given.
// Budget: 10 ms for the year.
void BM_Kinematics(benchmark::State& State)
{
    const std::vector<TSounding>& soundings = Year();
    std::vector<sounding::TIndices> indices;
    for (const TSounding& s : soundings) indices.push_back(sounding::ComputeIndices(s));
    for (auto _ : State)
        for (std::size_t i = 0; i < soundings.size(); ++i)
            benchmark::DoNotOptimize(sounding::ComputeKinematics(soundings[i], indices[i]));
    State.counters["soundings"] = double(soundings.size());
}

// Budget: 20 ms for the year.
void BM_HeightsLevelsIndices(benchmark::State& State)
{
    std::vector<TSounding>& soundings = Year();
    std::vector<TProfilePoint> buffer;
    for (auto _ : State) {
        for (TSounding& s : soundings) {
            sounding::ComputeHeights(s);
            benchmark::DoNotOptimize(DeriveLevels(s, buffer));
            benchmark::DoNotOptimize(sounding::ComputeIndices(s));
        }
    }
    State.counters["soundings"] = double(soundings.size());
}

}  // namespace

BENCHMARK(BM_Indices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kinematics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeightsLevelsIndices)->Unit(benchmark::kMillisecond);
PROFILORA_BENCHMARK_MAIN()
