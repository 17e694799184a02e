// The main window end to end, offscreen:
// - one timer tick with all eight series visible (plot series 0, move the
//   track bar, redraw the three extra series, draw the chart into an image);
// - the same tick with the year window open (its marker follows);
// - a page load from the catalogue road to the first frame drawn, with the
//   peak memory the load adds above the window's idle footprint.
#include "app/Profilora_frm.h"
#include "app/WindowExtras.h"
#include "app/YearWindow.h"
#include "chart/ColourSection.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "sounding/LapseRates.h"
#include "WindowLoad.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

const std::string PagePath = std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html";

std::unique_ptr<TForm1> MakeForm()
{
    auto form = std::make_unique<TForm1>();
    for (QCheckBox* box :
         {form->Standard_Atmosphere_UICheckBox, form->DALR_UICheckBox, form->ELR_CheckBox, form->CheckBox1,
          form->DewPoint_UICheckBox, form->WindDirection_UICheckBox, form->Windspeed_UICheckBox, form->Points_CheckBox})
        box->setChecked(true);
    return form;
}

void BM_TimerTick(benchmark::State& state)
{
    auto form = MakeForm();
    form->jtFile_IO1Open(form->jtFile_IO1, PagePath);
    form->Animate_CheckBox->setChecked(false);  // ticks are driven by hand
    QImage image(form->Chart1->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        form->Timer1Timer(form->Timer1);
        image = form->Chart1->RenderToImage(form->Chart1->size());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["soundings"] = form->LapseRates->Count();
}
BENCHMARK(BM_TimerTick)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

// The same tick with the year window open: the tick itself plus the marker
// moving one column (its layer drawn again), nothing more.
void BM_TimerTickYearWindowOpen(benchmark::State& state)
{
    auto form = MakeForm();
    form->jtFile_IO1Open(form->jtFile_IO1, PagePath);
    form->Animate_CheckBox->setChecked(false);
    form->Extras->ShowYearWindow();
    QCoreApplication::processEvents();
    QImage image(form->Chart1->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        form->Timer1Timer(form->Timer1);
        image = form->Chart1->RenderToImage(form->Chart1->size());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["soundings"] = form->LapseRates->Count();
    state.counters["marker"] = form->Extras->YearWindow()->Section->MarkerColumn();
}
BENCHMARK(BM_TimerTickYearWindowOpen)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

void BM_LoadToFirstFrame(benchmark::State& state)
{
    auto form = MakeForm();
    long pageKb = 0;
    {
        std::ifstream f(PagePath, std::ios::binary | std::ios::ate);
        pageKb = long(f.tellg()) / 1024;
    }
    static long firstAddedKb = -1;
    window_load::MeasureLoads(state, *form, PagePath, firstAddedKb);
    state.counters["page_MB"] = pageKb / 1024.0;
    state.counters["peak_added_MB"] = firstAddedKb / 1024.0;
    state.counters["peak_per_page"] = double(firstAddedKb) / double(pageKb);
}
BENCHMARK(BM_LoadToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
