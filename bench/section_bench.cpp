// The year at a glance for the Perth 2016 page (726 launches): the derived
// levels of every launch, the time-height grid at the year window's size,
// the grid handed to the colour map, and the marker moved by one frame. An
// 80-year page (the year repeated) shows that binning keeps the grid within
// three times the one-year budget.
// (Both lay their columns out by launch time.)
#include "chart/ColourSection.h"
#include "analysis/DerivedLevels.h"
#include "sounding/LapseRates.h"
#include "analysis/TimeHeightSection.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const std::vector<TSounding>& Year()
{
    static const std::vector<TSounding> Soundings = [] {
        TLapseRates S;
        std::ifstream In(std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html", std::ios::binary);
        std::stringstream Text;
        Text << In.rdbuf();
        S.LoadPage(Text.str());
        return S.Soundings;
    }();
    return Soundings;
}

// The plot area of an 800 x 400 window: about 700 columns, 330 rows.
TSectionSize WindowSize()
{
    TSectionSize Size;
    Size.MaxColumns = 700;
    Size.Rows = 330;
    Size.HeightMax = 20000;
    return Size;
}

void BM_DerivedLevels(benchmark::State& State)
{
    const std::vector<TSounding>& Soundings = Year();
    std::vector<TProfilePoint> Buffer;
    for (auto _ : State)
        for (const TSounding& S : Soundings) benchmark::DoNotOptimize(DeriveLevels(S, Buffer));
    State.counters["soundings"] = double(Soundings.size());
}

void BM_BuildSection(benchmark::State& State)
{
    const std::vector<TSounding>& Soundings = Year();
    for (auto _ : State) benchmark::DoNotOptimize(BuildSection(Soundings, WindowSize()));
}

void BM_BuildSection80Years(benchmark::State& State)
{
    std::vector<TSounding> Soundings;
    // 1937 .. 2016, each year's launches given that year's dates.
    for (int Y = 0; Y < 80; ++Y)
        for (TSounding S : Year()) {
            S.Title.replace(6, 4, std::to_string(1937 + Y));
            Soundings.push_back(std::move(S));
        }
    for (auto _ : State) benchmark::DoNotOptimize(BuildSection(Soundings, WindowSize()));
    State.counters["soundings"] = double(Soundings.size());
}

// The grid built, handed to the widget and drawn in full.
void BM_ShowSection(benchmark::State& State)
{
    TColourSection View;
    View.resize(800, 400);
    View.show();
    for (auto _ : State) {
        View.SetSection(BuildSection(Year(), WindowSize()));
        View.Redraw();
    }
}

void BM_MoveMarker(benchmark::State& State)
{
    TColourSection View;
    View.resize(800, 400);
    View.show();
    View.SetSection(BuildSection(Year(), WindowSize()));
    View.Redraw();
    int Column = 0;
    for (auto _ : State) {
        View.SetMarkerColumn(Column);
        Column = (Column + 1) % View.Section().Columns;
    }
}

BENCHMARK(BM_DerivedLevels)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildSection)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildSection80Years)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_ShowSection)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_MoveMarker)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication App(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
