// The skew-T diagram, offscreen, at its default size:
// - one frame tick of the diagram alone: a new launch, its parcel and
//   indices, the shading, the barbs, the hodograph's inset and the data's
//   layer drawn again (the lines behind are drawn once per size, not per
//   frame), and the hodograph's part of it alone;
// - the window's timer tick with the skew-T window closed and open, the
//   queued painting of both windows included;
// - the GIF export of the 726 launches of Perth 2016 as skew-T frames, per
//   frame (drawing, indexing and encoding).
#include "app/Profilora_frm.h"
#include "app/SkewTWindow.h"
#include "app/WindowExtras.h"
#include "chart/Chart.h"
#include "chart/Hodograph.h"
#include "chart/SkewT.h"
#include "components/jtFile_IO.h"
#include "components/ProgramSettings.h"
#include "components/jtINI_File.h"
#include "movie/GifMovie.h"
#include "movie/MovieExport.h"
#include "movie/SkewTPicture.h"
#include "sounding/LapseRates.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

const std::string PagePath = std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html";

TLapseRates& Page()
{
    static TLapseRates set = [] {
        TLapseRates s;
        std::ifstream in(PagePath, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        s.LoadPage(text.str());
        return s;
    }();
    return set;
}

void BM_SkewTFrameTick(benchmark::State& state)
{
    TLapseRates& rates = Page();
    chart::TSkewT diagram;
    diagram.RenderToImage(QSize(chart::SkewTWidth, chart::SkewTHeight));
    const int before = diagram.BackgroundDraws();
    int k = 0;
    for (auto _ : state) {
        diagram.ShowSounding(&rates.Soundings[std::size_t(k)]);
        k = (k + 1) % rates.Count();
    }
    state.counters["soundings"] = rates.Count();
    state.counters["background_draws"] = diagram.BackgroundDraws() - before;
}
BENCHMARK(BM_SkewTFrameTick)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

// The hodograph's part of a frame tick: its winds taken from the launch and
// its kinematics, and the inset painted at its size in the default diagram
// (a quarter of its width).
void BM_SkewTHodographInset(benchmark::State& state)
{
    TLapseRates& rates = Page();
    const std::vector<sounding::TIndices> indices = [&rates] {
        std::vector<sounding::TIndices> all;
        for (const TSounding& s : rates.Soundings) all.push_back(sounding::ComputeIndices(s));
        return all;
    }();
    const int side = chart::SkewTWidth / 4;
    QImage image(side, side, QImage::Format_RGB32);
    int k = 0;
    for (auto _ : state) {
        const chart::THodographData data = chart::HodographOf(rates.Soundings[std::size_t(k)], indices[std::size_t(k)]);
        QPainter painter(&image);
        chart::PaintHodograph(painter, QRectF(0, 0, side, side), data, true);
        k = (k + 1) % rates.Count();
    }
}
BENCHMARK(BM_SkewTHodographInset)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

// The part of a frame tick that is the indices' work: the parcel drawn and
// the indices of the box.
void BM_SkewTParcelAndIndices(benchmark::State& state)
{
    TLapseRates& rates = Page();
    int k = 0;
    for (auto _ : state) {
        const TSounding& s = rates.Soundings[std::size_t(k)];
        benchmark::DoNotOptimize(sounding::LiftParcel(s, sounding::TParcelKind::MixedLayer, false, 100));
        benchmark::DoNotOptimize(sounding::ComputeIndices(s));
        k = (k + 1) % rates.Count();
    }
}
BENCHMARK(BM_SkewTParcelAndIndices)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

void TimerTick(benchmark::State& state, bool SkewTOpen)
{
    auto form = std::make_unique<TForm1>();
    form->jtFile_IO1Open(form->jtFile_IO1, PagePath);
    form->Animate_CheckBox->setChecked(false);  // ticks are driven by hand
    if (SkewTOpen) form->Extras->SkewT().ShowWindow();
    QCoreApplication::processEvents();
    const int before = SkewTOpen ? form->Extras->SkewT().Window()->Diagram->BackgroundDraws() : 0;
    for (auto _ : state) {
        form->Timer1Timer(form->Timer1);
        QCoreApplication::processEvents();
    }
    state.counters["soundings"] = form->LapseRates->Count();
    if (SkewTOpen)
        state.counters["background_draws"] = form->Extras->SkewT().Window()->Diagram->BackgroundDraws() - before;
}

void BM_TimerTickSkewTClosed(benchmark::State& state) { TimerTick(state, false); }
void BM_TimerTickSkewTOpen(benchmark::State& state) { TimerTick(state, true); }
BENCHMARK(BM_TimerTickSkewTClosed)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_TimerTickSkewTOpen)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

// The skew-T pictures of the page, drawn with the default settings.
struct TDefaultPictures {
    TjtINI_File Ini{nullptr};
    TChart Chart;
    std::unique_ptr<movie::TSkewTPictures> Pictures;

    TDefaultPictures()
    {
        Ini.SetIgnore_CmdLine(true);
        Ini.SetOpenOnLoad(false);
        Ini.Loaded();
        Pictures = std::make_unique<movie::TSkewTPictures>(settings::TProgramSettings::Over(Ini), Chart, Page());
    }
};

void BM_SkewTGifExport(benchmark::State& state)
{
    TLapseRates& rates = Page();
    TDefaultPictures defaults;
    movie::TSkewTPictures& pictures = *defaults.Pictures;
    const TFrameSpan span{0, rates.Count() - 1, QSize(SkewTFrameWidth, SkewTFrameHeight)};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string gif = EncodeGifMovie(pictures, span, 100);
        bytes = gif.size();
    }
    state.counters["frames"] = span.Count();
    state.counters["ms_per_frame"] = benchmark::Counter(
        double(span.Count()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["gif_MB"] = double(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SkewTGifExport)->Unit(benchmark::kMillisecond)->Iterations(1);

// The two parts of an exported frame: drawing it, and indexing and encoding
// it into a GIF.
void BM_SkewTRenderFrame(benchmark::State& state)
{
    TLapseRates& rates = Page();
    TDefaultPictures defaults;
    movie::TSkewTPictures& pictures = *defaults.Pictures;
    int k = 0;
    for (auto _ : state) {
        const QImage image = pictures.RenderFrame(k, QSize(SkewTFrameWidth, SkewTFrameHeight));
        benchmark::DoNotOptimize(image.constBits());
        k = (k + 1) % rates.Count();
    }
}
BENCHMARK(BM_SkewTRenderFrame)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

void BM_SkewTEncodeFrame(benchmark::State& state)
{
    TDefaultPictures defaults;
    movie::TSkewTPictures& pictures = *defaults.Pictures;
    std::vector<QImage> frames;
    for (int k = 0; k < 40; ++k)
        frames.push_back(pictures.RenderFrame(k * 17, QSize(SkewTFrameWidth, SkewTFrameHeight)));
    TGifMovie movie(frames.front().size(), 10);
    std::size_t k = 0;
    for (auto _ : state) {
        movie.AddFrame(frames[k]);
        k = (k + 1) % frames.size();
    }
}
BENCHMARK(BM_SkewTEncodeFrame)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
