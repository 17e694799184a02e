// One animation frame of the chart at the main window's size: new points for
// the temperature profile and the three extra series, then the chart drawn
// into an offscreen image. Compared with drawing the same lines by hand with
// QPainter.
#include "chart/Chart.h"
#include "chart/Series.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const QSize ChartSize(705, 313);
constexpr int Frames = 16;   // different soundings, cycled
constexpr int Levels = 100;  // points of each profile

struct Profile {
    std::vector<double> X, Y;
};

// Soundings that look like real ones: temperature falling with height, dew
// point difference, wind direction / 10 and wind speed wandering.
struct Sounding {
    Profile Temperature, DewPoint, WindDirection, WindSpeed;
};

std::vector<Sounding> MakeSoundings()
{
    std::vector<Sounding> All(Frames);
    for (int F = 0; F < Frames; ++F) {
        Sounding& S = All[F];
        for (int L = 0; L < Levels; ++L) {
            const double Height = L * 300.0 + F * 3;
            const double T = 15 + F * 0.5 - std::min(Height, 11000.0) * 0.0065 + 3 * std::sin(L * 0.3 + F);
            S.Temperature.X.push_back(T);
            S.Temperature.Y.push_back(Height);
            S.DewPoint.X.push_back(5 + 4 * std::sin(L * 0.2 + F));
            S.DewPoint.Y.push_back(Height);
            S.WindDirection.X.push_back(18 + 15 * std::sin(L * 0.1 + F * 0.3));
            S.WindDirection.Y.push_back(Height);
            S.WindSpeed.X.push_back(10 + 8 * std::cos(L * 0.15 + F));
            S.WindSpeed.Y.push_back(Height);
        }
    }
    return All;
}

const std::vector<std::vector<std::pair<double, double>>> References = {
    {{-2.5, 51000}, {-2.5, 47000}, {-44.5, 32000}, {-56.5, 20000}, {-56.5, 11000}, {15, 0}},
    {{-181, 20000}, {15, 0}},
    {{-115, 20000}, {15, 0}},
    {{-45, 20000}, {15, 0}},
};

// The main window's chart with all eight series shown.
void SetUpChart(TChart& Chart)
{
    Chart.resize(ChartSize);
    Chart.Title().SetText({"Lapse Rate - Temperature vs Altitude"});
    Chart.Title().SetFont(TChartFont{"Arial", -13, clBlack, 0});
    Chart.Legend().SetVisible(false);
    Chart.BackWall().SetBrushClear(true);
    Chart.BottomAxis().SetAutomatic(false);
    Chart.LeftAxis().SetAutomatic(false);
    Chart.BottomAxis().SetMinMax(-90, 50);
    Chart.LeftAxis().SetMinMax(0, 51000);
    Chart.BottomAxis().SetTitle("Temperature (C)");
    Chart.LeftAxis().SetTitle("Altitude (m)");
    TLineSeries* T = Chart.AddLineSeries();
    T->SetTitle("Temperature");
    T->SetColor(clRed);
    T->SetPointerVisible(true);
    for (const auto& Ref : References) {
        TLineSeries* S = Chart.AddLineSeries();
        S->SetXOrderNone();
        for (auto [X, Y] : Ref) S->AddXY(X, Y);
    }
    for (int I = 0; I < 3; ++I) Chart.AddLineSeries();
}

void Plot(TLineSeries* S, const Profile& P)
{
    S->Clear();
    S->SetXOrderNone();
    for (std::size_t I = 0; I < P.X.size(); ++I) S->AddXY(P.X[I], P.Y[I]);
}

void RunFrames(benchmark::State& State, bool Marks)
{
    const std::vector<Sounding> Soundings = MakeSoundings();
    TChart Chart;
    SetUpChart(Chart);
    Chart.Series(0)->SetMarksVisible(Marks);
    Chart.RenderToImage(ChartSize);
    int F = 0;
    for (auto _ : State) {
        const Sounding& S = Soundings[F++ % Frames];
        Plot(Chart.Series(0), S.Temperature);
        Plot(Chart.Series(5), S.DewPoint);
        Plot(Chart.Series(6), S.WindDirection);
        Plot(Chart.Series(7), S.WindSpeed);
        QImage Image = Chart.RenderToImage(ChartSize);
        benchmark::DoNotOptimize(Image.constBits());
    }
}

void BM_ChartFrame(benchmark::State& State) { RunFrames(State, false); }

void BM_ChartFrameWithValueMarks(benchmark::State& State) { RunFrames(State, true); }

// The floor: the same eight lines and the markers straight onto an image,
// without axes, labels or title.
void BM_RawQPainterLines(benchmark::State& State)
{
    const std::vector<Sounding> Soundings = MakeSoundings();
    const QRectF Plot(60, 30, 630, 250);
    auto ToPixel = [&](double X, double Y) {
        return QPointF(Plot.left() + (X + 90) / 140 * Plot.width(), Plot.bottom() - Y / 51000 * Plot.height());
    };
    auto Line = [&](const std::vector<double>& X, const std::vector<double>& Y) {
        QPolygonF P;
        P.reserve(qsizetype(X.size()));
        for (std::size_t I = 0; I < X.size(); ++I) P.append(ToPixel(X[I], Y[I]));
        return P;
    };
    int F = 0;
    for (auto _ : State) {
        const Sounding& S = Soundings[F++ % Frames];
        QImage Image(ChartSize, QImage::Format_ARGB32_Premultiplied);
        Image.fill(Qt::white);
        QPainter Painter(&Image);
        Painter.setPen(Qt::black);
        Painter.drawRect(Plot);
        Painter.setPen(Qt::red);
        const QPolygonF T = Line(S.Temperature.X, S.Temperature.Y);
        Painter.drawPolyline(T);
        Painter.setBrush(Qt::red);
        for (const QPointF& P : T) Painter.drawRect(QRectF(P.x() - 3, P.y() - 3, 7, 7));
        Painter.setBrush(Qt::NoBrush);
        for (const auto& Ref : References) {
            QPolygonF P;
            for (auto [X, Y] : Ref) P.append(ToPixel(X, Y));
            Painter.setPen(Qt::blue);
            Painter.drawPolyline(P);
        }
        for (const Profile* P : {&S.DewPoint, &S.WindDirection, &S.WindSpeed}) {
            Painter.setPen(Qt::darkGreen);
            Painter.drawPolyline(Line(P->X, P->Y));
        }
        Painter.end();
        benchmark::DoNotOptimize(Image.constBits());
    }
}

BENCHMARK(BM_ChartFrame)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_ChartFrameWithValueMarks)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawQPainterLines)->Unit(benchmark::kMicrosecond)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication App(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
