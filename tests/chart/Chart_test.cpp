#include "chart/Chart.h"
#include "chart/Series.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>

#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<double, double>>;

const std::string MinMsg = "Axis Minimum Value must be <= Maximum";
const std::string MaxMsg = "Axis Maximum Value must be >= Minimum";
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Runs Action and returns the message of the chart error it raised, or
// "" when it raised none.
std::string ChartError(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const EChartException& E) {
        return E.Message();
    }
    return "";
}

// ---------------------------------------------------------------- axes

struct AxisCase {
    const char* Name;
    std::function<void(TChartAxis&)> Action;
    std::string Error;  // "" = accepted
    double Min, Max;    // the range afterwards
};

TEST(ChartAxis, rangeChangesAreCheckedAgainstTheCurrentRange)
{
    const AxisCase Cases[] = {
        {"min above max", [](TChartAxis& A) { A.SetMinimum(30); }, MinMsg, 0, 25},
        {"min equal to max", [](TChartAxis& A) { A.SetMinimum(25); }, "", 25, 25},
        {"min below", [](TChartAxis& A) { A.SetMinimum(-90); }, "", -90, 25},
        {"max below min", [](TChartAxis& A) { A.SetMaximum(-1); }, MaxMsg, 0, 25},
        {"max equal to min", [](TChartAxis& A) { A.SetMaximum(0); }, "", 0, 0},
        {"max above", [](TChartAxis& A) { A.SetMaximum(51000); }, "", 0, 51000},
        {"min then max past the old range",
         [](TChartAxis& A) {
             A.SetMinimum(30);
             A.SetMaximum(60);
         },
         MinMsg, 0, 25},
        {"max then min past the old range",
         [](TChartAxis& A) {
             A.SetMaximum(60);
             A.SetMinimum(30);
         },
         "", 30, 60},
        {"whole range above", [](TChartAxis& A) { A.SetMinMax(30, 60); }, "", 30, 60},
        {"whole range below", [](TChartAxis& A) { A.SetMinMax(-90, -50); }, "", -90, -50},
        {"whole range single value", [](TChartAxis& A) { A.SetMinMax(7, 7); }, "", 7, 7},
        {"whole range reversed", [](TChartAxis& A) { A.SetMinMax(60, 30); }, MinMsg, 0, 25},
        {"min not a number", [](TChartAxis& A) { A.SetMinimum(NaN); }, MinMsg, 0, 25},
        {"min minus infinity", [](TChartAxis& A) { A.SetMinimum(-Inf); }, MinMsg, 0, 25},
        {"max not a number", [](TChartAxis& A) { A.SetMaximum(NaN); }, MaxMsg, 0, 25},
        {"max infinity", [](TChartAxis& A) { A.SetMaximum(Inf); }, MaxMsg, 0, 25},
        {"whole range with NaN", [](TChartAxis& A) { A.SetMinMax(NaN, 5); }, MinMsg, 0, 25},
    };
    for (const AxisCase& C : Cases) {
        for (bool Bottom : {true, false}) {
            TChart Chart;
            TChartAxis& A = Bottom ? Chart.BottomAxis() : Chart.LeftAxis();
            A.SetAutomatic(false);
            A.SetMaximum(25);
            A.SetMinimum(0);
            EXPECT_EQ(ChartError([&] { C.Action(A); }), C.Error) << C.Name;
            EXPECT_EQ(A.Minimum(), C.Min) << C.Name;
            EXPECT_EQ(A.Maximum(), C.Max) << C.Name;
        }
    }
}

TEST(ChartAxis, refusalIsAChartExceptionOfTheProgramsFailures)
{
    TChart Chart;
    Chart.BottomAxis().SetMinMax(0, 25);
    try {
        Chart.BottomAxis().SetMinimum(26);
        FAIL() << "not refused";
    } catch (const Exception& E) {
        EXPECT_STREQ(E.ClassName(), "ChartException");
        EXPECT_EQ(E.Message(), MinMsg);
    }
}

TEST(ChartAxis, theDrawnRangeFollowsTheAxis)
{
    TChart Chart;
    Chart.resize(705, 313);
    Chart.BottomAxis().SetAutomatic(false);
    Chart.LeftAxis().SetAutomatic(false);
    Chart.BottomAxis().SetMinMax(-90, 50);
    Chart.LeftAxis().SetMinMax(0, 51000);
    Chart.RenderToImage(Chart.size());
    const QRectF Area = Chart.PlotArea();
    ASSERT_FALSE(Area.isEmpty());
    // The range spans the plot, to the pixel.
    EXPECT_NEAR(Chart.ValueToPixel(-90, 0).x(), Area.left(), 1);
    EXPECT_NEAR(Chart.ValueToPixel(50, 0).x(), Area.right(), 1);
    EXPECT_NEAR(Chart.ValueToPixel(0, 51000).y(), Area.top(), 1);

    // A single value still gets a drawable range around it: it is drawn
    // across the middle of the plot.
    Chart.LeftAxis().SetMinMax(300, 300);
    Chart.RenderToImage(Chart.size());
    EXPECT_NEAR(Chart.ValueToPixel(0, 300).y(), Chart.PlotArea().center().y(), 1);
    EXPECT_EQ(Chart.LeftAxis().Minimum(), 300);
}

TEST(ChartAxis, automaticRangeFollowsTheShownSeries)
{
    TChart Chart;
    Chart.BottomAxis().SetMinMax(0, 1);
    TLineSeries* Shown = Chart.AddLineSeries();
    TLineSeries* Hidden = Chart.AddLineSeries();
    Shown->AddXY(-10, 100);
    Shown->AddXY(20, 500);
    Hidden->AddXY(1000, -1000);
    Hidden->SetActive(false);
    Chart.Repaint();
    EXPECT_EQ(Chart.BottomAxis().Minimum(), -10);
    EXPECT_EQ(Chart.BottomAxis().Maximum(), 20);
    EXPECT_EQ(Chart.LeftAxis().Minimum(), 100);
    EXPECT_EQ(Chart.LeftAxis().Maximum(), 500);

    // A fixed axis keeps what was set.
    Chart.BottomAxis().SetAutomatic(false);
    Chart.BottomAxis().SetMinMax(-90, 50);
    Shown->AddXY(70, 600);
    Chart.Repaint();
    EXPECT_EQ(Chart.BottomAxis().Maximum(), 50);
    EXPECT_EQ(Chart.LeftAxis().Maximum(), 600);
}

TEST(ChartAxis, aTitleTakesRoomBesideItsOwnAxis)
{
    TChart Chart;
    Chart.resize(705, 313);
    Chart.RenderToImage(Chart.size());
    const QRectF Bare = Chart.PlotArea();
    Chart.BottomAxis().SetTitle("Temperature (C)");
    EXPECT_EQ(Chart.BottomAxis().Title(), "Temperature (C)");
    Chart.RenderToImage(Chart.size());
    const QRectF WithBottom = Chart.PlotArea();
    EXPECT_LT(WithBottom.bottom(), Bare.bottom() - 5);
    EXPECT_EQ(WithBottom.left(), Bare.left());
    Chart.LeftAxis().SetTitle("Altitude (m)");
    Chart.RenderToImage(Chart.size());
    EXPECT_GT(Chart.PlotArea().left(), Bare.left() + 5);
    EXPECT_EQ(Chart.PlotArea().bottom(), WithBottom.bottom());
}

// ---------------------------------------------------------------- series list

TEST(ChartSeries, seriesAreAddressedByCreationOrder)
{
    TChart Chart;
    EXPECT_EQ(Chart.SeriesCount(), 0);
    EXPECT_EQ(Chart.Series(0), nullptr);
    TLineSeries* S[4];
    for (int I = 0; I < 4; ++I) {
        S[I] = Chart.AddLineSeries();
        EXPECT_EQ(Chart.SeriesCount(), I + 1);
        EXPECT_EQ(S[I]->ParentChart(), &Chart);
        EXPECT_EQ(S[I]->parent(), &Chart);
    }
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(Chart.Series(I), S[I]);
        EXPECT_EQ(Chart.IndexOf(S[I]), I);
    }
    EXPECT_EQ(Chart.Series(-1), nullptr);
    EXPECT_EQ(Chart.Series(4), nullptr);
    // Each is drawn with a line of its own.
    for (int I = 0; I < 4; ++I) S[I]->AddXY(I, 10 * I);
    Chart.Repaint();
    for (int I = 0; I < 4; ++I) EXPECT_EQ(Chart.DrawnPoints(*S[I]), (Points{{I, 10 * I}})) << I;
}

TEST(ChartSeries, newSeriesTakeThePaletteColourOfTheirIndex)
{
    TChart Chart;
    for (int I = 0; I < 14; ++I) EXPECT_EQ(Chart.AddLineSeries()->Color(), chartstyle::DefaultSeriesColor(I)) << I;
    EXPECT_EQ(Chart.Series(0)->Color(), 0x0000FFu);  // red first
    for (int I = 0; I < 12; ++I)
        for (int J = I + 1; J < 12; ++J)
            EXPECT_NE(chartstyle::DefaultSeriesColor(I), chartstyle::DefaultSeriesColor(J)) << I << " " << J;
    EXPECT_EQ(chartstyle::DefaultSeriesColor(12), chartstyle::DefaultSeriesColor(0));
}

TEST(ChartSeries, deletingASeriesTakesItOutOfTheList)
{
    TChart Chart;
    TLineSeries* A = Chart.AddLineSeries();
    TLineSeries* B = Chart.AddLineSeries();
    TLineSeries* C = Chart.AddLineSeries();
    delete B;
    EXPECT_EQ(Chart.SeriesCount(), 2);
    EXPECT_EQ(Chart.Series(0), A);
    EXPECT_EQ(Chart.Series(1), C);
    Chart.Repaint();  // draws without the deleted one (ChartRender_test)
}

TEST(ChartSeries, theChartDeletesItsSeries)
{
    QPointer<TLineSeries> S;
    {
        TChart Chart;
        S = Chart.AddLineSeries();
        S->AddXY(1, 2);
    }
    EXPECT_TRUE(S.isNull());
}

// ---------------------------------------------------------------- points

struct OrderCase {
    const char* Name;
    TChartXOrder Order;
    std::vector<std::pair<double, double>> Added;
    std::vector<std::pair<double, double>> Expected;
};

std::vector<std::pair<double, double>> PointsOf(const TLineSeries& S)
{
    std::vector<std::pair<double, double>> P;
    for (int I = 0; I < S.Count(); ++I) P.emplace_back(S.XValue(I), S.YValue(I));
    return P;
}

TEST(ChartPoints, xOrderDecidesWhereAPointGoes)
{
    const OrderCase Cases[] = {
        {"ascending sorts", TChartXOrder::Ascending, {{3, 30}, {1, 10}, {2, 20}}, {{1, 10}, {2, 20}, {3, 30}}},
        {"ascending is stable",
         TChartXOrder::Ascending,
         {{5, 1}, {5, 2}, {1, 0}, {5, 3}},
         {{1, 0}, {5, 1}, {5, 2}, {5, 3}}},
        {"ascending with negatives",
         TChartXOrder::Ascending,
         {{-2.5, 51000}, {15, 0}, {-56.5, 20000}},
         {{-56.5, 20000}, {-2.5, 51000}, {15, 0}}},
        {"none keeps insertion order", TChartXOrder::None, {{3, 30}, {1, 10}, {2, 20}}, {{3, 30}, {1, 10}, {2, 20}}},
        {"none keeps a profile going down",
         TChartXOrder::None,
         {{-181, 20000}, {15, 0}, {-181, 20000}},
         {{-181, 20000}, {15, 0}, {-181, 20000}}},
    };
    for (const OrderCase& C : Cases) {
        TChart Chart;
        TLineSeries* S = Chart.AddLineSeries();
        S->SetXOrder(C.Order);
        for (auto [X, Y] : C.Added) S->AddXY(X, Y);
        EXPECT_EQ(PointsOf(*S), C.Expected) << C.Name;
    }
}

TEST(ChartPoints, newSeriesSortAndSetXOrderNoneStopsIt)
{
    TChart Chart;
    TLineSeries* S = Chart.AddLineSeries();
    EXPECT_EQ(S->XOrder(), TChartXOrder::Ascending);
    TPlotSeries& Plot = *S;
    Plot.SetXOrderNone();
    EXPECT_EQ(S->XOrder(), TChartXOrder::None);
    Plot.AddXY(2, 0);
    Plot.AddXY(1, 1);
    EXPECT_EQ(S->XValue(0), 2);
    Plot.Clear();
    EXPECT_EQ(S->Count(), 0);
}

TEST(ChartPoints, switchingToAscendingSortsThePointsThere)
{
    TChart Chart;
    TLineSeries* S = Chart.AddLineSeries();
    S->SetXOrder(TChartXOrder::None);
    for (auto [X, Y] : std::vector<std::pair<double, double>>{{3, 0}, {1, 1}, {3, 2}, {NaN, 3}, {2, 4}}) S->AddXY(X, Y);
    S->SetXOrder(TChartXOrder::Ascending);
    ASSERT_EQ(S->Count(), 5);
    const double Xs[] = {1, 2, 3, 3};
    const double Ys[] = {1, 4, 0, 2};
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(S->XValue(I), Xs[I]) << I;
        EXPECT_EQ(S->YValue(I), Ys[I]) << I;
    }
    EXPECT_TRUE(std::isnan(S->XValue(4)));  // points without a number go last
    // And later insertions find their place among them.
    S->AddXY(2.5, 9);
    EXPECT_EQ(S->XValue(2), 2.5);
}

TEST(ChartPoints, setXValueChangesOnlyThatPoint)
{
    TChart Chart;
    TLineSeries* S = Chart.AddLineSeries();
    S->SetXOrderNone();
    S->AddXY(-181, 20000);
    S->AddXY(15, 0);
    // The way a scroll bar moves a line: every X by the same offset.
    const double D = 30 - S->XValue(1);
    for (int I = 0; I < S->Count(); ++I) S->SetXValue(I, S->XValue(I) + D);
    EXPECT_EQ(PointsOf(*S), (std::vector<std::pair<double, double>>{{-166, 20000}, {30, 0}}));

    // In an ascending series the point keeps its index too.
    TLineSeries* A = Chart.AddLineSeries();
    A->AddXY(1, 10);
    A->AddXY(2, 20);
    A->SetXValue(0, 5);
    EXPECT_EQ(PointsOf(*A), (std::vector<std::pair<double, double>>{{5, 10}, {2, 20}}));
}

TEST(ChartPoints, indexOutsideThePointsIsRefused)
{
    TChart Chart;
    TLineSeries* S = Chart.AddLineSeries();
    S->AddXY(1, 2);
    for (int Bad : {-1, 1, 1000}) {
        EXPECT_THROW(S->XValue(Bad), EChartException) << Bad;
        EXPECT_THROW(S->YValue(Bad), EChartException) << Bad;
        EXPECT_THROW(S->SetXValue(Bad, 0), EChartException) << Bad;
    }
    EXPECT_EQ(ChartError([&] { S->XValue(3); }), "List index out of bounds (3)");
    EXPECT_EQ(PointsOf(*S), (std::vector<std::pair<double, double>>{{1, 2}}));
}

// ---------------------------------------------------------------- styling

// Whether a series shows is checked in the pictures (ChartRender_test); here
// what a new series starts with, and the legend that names the series.
TEST(ChartStyling, newSeriesStartPlainAndTheLegendNamesThemWhileShown)
{
    TChart Chart;
    Chart.resize(705, 313);
    TLineSeries* S = Chart.AddLineSeries();
    EXPECT_TRUE(S->Active());
    EXPECT_FALSE(S->PointerVisible());
    EXPECT_FALSE(S->MarksVisible());

    const QImage Untitled = Chart.RenderToImage(Chart.size());
    S->SetTitle("Temperature");
    EXPECT_EQ(S->Title(), "Temperature");
    EXPECT_NE(Chart.RenderToImage(Chart.size()), Untitled);
    Chart.Legend().SetVisible(false);
    const QImage NoLegend = Chart.RenderToImage(Chart.size());
    S->SetTitle("Dew point");
    EXPECT_EQ(Chart.RenderToImage(Chart.size()), NoLegend);
    Chart.Legend().SetVisible(true);
    EXPECT_NE(Chart.RenderToImage(Chart.size()), NoLegend);
}

TEST(ChartStyling, markTextsShowTheValueToThreeDecimals)
{
    const std::pair<double, const char*> Cases[] = {
        {15, "15"},     {-56.5, "-56.5"}, {0.1234, "0.123"}, {0.0006, "0.001"},
        {-0.0001, "0"}, {51000, "51000"}, {-9999, "-9999"},  {1e20, "1E20"},
    };
    for (auto [V, Text] : Cases) EXPECT_EQ(chartstyle::MarkText(V), Text) << V;
}

TEST(ChartStyling, fontHeightIsInPixels)
{
    const QFont F = chartstyle::ToQFont(TChartFont{"Arial", -13, clBlack, fsBold | fsItalic});
    EXPECT_EQ(F.pixelSize(), 13);
    EXPECT_TRUE(F.bold());
    EXPECT_TRUE(F.italic());
    EXPECT_FALSE(F.underline());
    EXPECT_EQ(chartstyle::ToQFont(TChartFont{"Arial", 20, clBlack, fsUnderline | fsStrikeOut}).pixelSize(), 20);
}

// ---------------------------------------------------------------- redrawing

// Counts the chart's redraws from now on.
class RedrawCounter {
public:
    explicit RedrawCounter(const TChart& Chart) : chart_(Chart), start_(Chart.RedrawCount()) {}
    int Count() const { return chart_.RedrawCount() - start_; }

private:
    const TChart& chart_;
    int start_;
};

void SpinEventLoop()
{
    for (int I = 0; I < 3; ++I) QCoreApplication::processEvents();
}

TEST(ChartRedraw, manyChangesMakeOneQueuedReplot)
{
    TChart Chart;
    Chart.resize(705, 313);
    SpinEventLoop();
    RedrawCounter Replots(Chart);

    const std::vector<std::function<void(TChart&)>> Frames = {
        [](TChart& C) {  // a frame: points of several series
            for (int S = 0; S < 4; ++S) {
                TLineSeries* L = C.AddLineSeries();
                L->SetXOrderNone();
                for (int I = 0; I < 100; ++I) L->AddXY(I, I * 10);
            }
        },
        [](TChart& C) {  // styling of every series
            for (int S = 0; S < C.SeriesCount(); ++S) {
                C.Series(S)->SetColor(0x00FF00);
                C.Series(S)->SetActive(S % 2 == 0);
                C.Series(S)->SetPointerVisible(true);
                C.Series(S)->SetMarksVisible(true);
            }
        },
        [](TChart& C) {  // axes, title, legend, wall
            C.BottomAxis().SetAutomatic(false);
            C.BottomAxis().SetMinMax(-90, 50);
            C.LeftAxis().SetTitle("Altitude (m)");
            C.Title().SetText({"Lapse Rate - Temperature vs Altitude"});
            C.Legend().SetVisible(false);
            C.BackWall().SetBrushClear(true);
        },
        [](TChart& C) {  // moving points
            for (int I = 0; I < C.Series(0)->Count(); ++I) C.Series(0)->SetXValue(I, C.Series(0)->XValue(I) + 1);
        },
    };
    for (std::size_t F = 0; F < Frames.size(); ++F) {
        Frames[F](Chart);
        EXPECT_EQ(Replots.Count(), int(F)) << "replotted before the event loop ran, frame " << F;
        EXPECT_TRUE(Chart.Dirty());
        SpinEventLoop();
        EXPECT_EQ(Replots.Count(), int(F) + 1) << "frame " << F;
        EXPECT_FALSE(Chart.Dirty());
    }
    SpinEventLoop();
    EXPECT_EQ(Replots.Count(), int(Frames.size()));  // nothing more without a change
}

TEST(ChartRedraw, pointsReachThePlotOnlyWhenItRedraws)
{
    TChart Chart;
    TLineSeries* S = Chart.AddLineSeries();
    S->SetXOrderNone();
    S->AddXY(3, 1);
    S->AddXY(1, 2);
    EXPECT_TRUE(Chart.DrawnPoints(*S).empty());
    SpinEventLoop();
    // In our order, not sorted by X.
    EXPECT_EQ(Chart.DrawnPoints(*S), (Points{{3, 1}, {1, 2}}));
}

TEST(ChartRedraw, repaintRedrawsAtOnceAndCancelsTheQueuedOne)
{
    TChart Chart;
    SpinEventLoop();
    RedrawCounter Replots(Chart);
    TLineSeries* S = Chart.AddLineSeries();
    S->AddXY(1, 1);
    Chart.Repaint();
    EXPECT_EQ(Replots.Count(), 1);
    EXPECT_EQ(Chart.DrawnPoints(*S).size(), 1u);
    EXPECT_FALSE(Chart.Dirty());
    SpinEventLoop();
    EXPECT_EQ(Replots.Count(), 1);
}

}  // namespace
