// The window with a generated 80-year IGRA v2 station file (about 400 MB,
// 60,000 launches; SyntheticStation.h), offscreen, through the window's own
// load road ("Read File..." with the file's name):
// - load to the first frame drawn, with the peak memory the load adds above
//   the window's idle footprint;
// - one timer tick over the whole set (plot, track bar, extra series, chart
//   drawn into an image);
// - a track bar move to a far frame, as a drag of the thumb does.
//
// Run the load alone for a meaningful peak:
//   station_window_bench --benchmark_filter=Load

#include "app/Profilora_frm.h"
#include "chart/Chart.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "sounding/LapseRates.h"
#include "SyntheticStation.h"
#include "WindowLoad.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::unique_ptr<TForm1> MakeForm()
{
    auto form = std::make_unique<TForm1>();
    for (QCheckBox* box : {form->DewPoint_UICheckBox, form->WindDirection_UICheckBox, form->Windspeed_UICheckBox})
        box->setChecked(true);
    return form;
}

void BM_StationLoadToFirstFrame(benchmark::State& State)
{
    const std::string path = synthetic_station::EightyYearFile();
    const double fileMB = double(std::filesystem::file_size(path)) / (1 << 20);
    auto form = MakeForm();
    static long firstAddedKb = -1;
    window_load::MeasureLoads(State, *form, path, firstAddedKb);
    State.counters["file_MB"] = fileMB;
    State.counters["launches"] = form->LapseRates->Count();
    State.counters["peak_added_MB"] = firstAddedKb / 1024.0;
}
BENCHMARK(BM_StationLoadToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(2);

struct Loaded {
    std::unique_ptr<TForm1> Form;
    Loaded() : Form(MakeForm())
    {
        Form->jtFile_IO1Open(Form->jtFile_IO1, synthetic_station::EightyYearFile());
        Form->Animate_CheckBox->setChecked(false);
    }
};

void BM_StationTimerTick(benchmark::State& State)
{
    Loaded w;
    QImage image;
    for (auto _ : State) {
        w.Form->Timer1Timer(w.Form->Timer1);
        image = w.Form->Chart1->RenderToImage(w.Form->Chart1->size());
        benchmark::DoNotOptimize(image.constBits());
    }
    State.counters["launches"] = w.Form->LapseRates->Count();
}
BENCHMARK(BM_StationTimerTick)->Unit(benchmark::kMicrosecond);

void BM_StationTrackBarMove(benchmark::State& State)
{
    Loaded w;
    const int count = w.Form->LapseRates->Count();
    int i = 0;
    for (auto _ : State) {
        i = (i + 7919 * 3) % count;  // far jumps across the decades
        w.Form->TrackBar1->SetPosition(i);
        w.Form->Chart1->Repaint();
        benchmark::DoNotOptimize(w.Form->LapseRates->Current);
    }
}
BENCHMARK(BM_StationTrackBarMove)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
