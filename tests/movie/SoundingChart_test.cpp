// The window's chart built without the window: its set-up, its settings and
// the frames drawn from a page.
#include "movie/SoundingChart.h"

#include "chart/ChartStyle.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A settings component that holds Lines as its whole text.
std::unique_ptr<TjtINI_File> Settings(const std::vector<std::string>& Lines)
{
    auto Ini = std::make_unique<TjtINI_File>(nullptr);
    Ini->SetIgnore_CmdLine(true);
    Ini->SetINI_Default(Lines);
    Ini->SetOpenOnLoad(false);
    Ini->Loaded();
    return Ini;
}

class SoundingChartTest : public ::testing::Test {
protected:
    platform::FakeSystem System;
    platform::ScopedPlatform Guard{nullptr, &System, nullptr};
    TChart Chart;
};

// ------------------------------------------------------------ set-up

TEST_F(SoundingChartTest, setupGivesTheChartOfTheWindowDescription)
{
    SetupChart1(Chart);
    EXPECT_EQ(Chart.objectName(), "Chart1");
    EXPECT_EQ(Chart.Title().Text(), std::vector<std::string>{"Lapse Rate - Temperature vs Altitude"});
    EXPECT_EQ(Chart.Title().Font(), (TChartFont{"Arial", -13, clBlack, 0}));
    struct AxisCase {
        TChartAxis* Axis;
        double Min, Max;
        const char* Title;
    };
    for (const AxisCase& A : {AxisCase{&Chart.BottomAxis(), 0, 25, "Temperature (C)"},
                              AxisCase{&Chart.LeftAxis(), 0, 256, "Altitude (m)"}}) {
        EXPECT_FALSE(A.Axis->Automatic()) << A.Title;
        EXPECT_EQ(A.Axis->Minimum(), A.Min) << A.Title;
        EXPECT_EQ(A.Axis->Maximum(), A.Max) << A.Title;
        EXPECT_EQ(A.Axis->Title(), A.Title);
    }
    EXPECT_FALSE(Chart.Legend().Visible());
    EXPECT_FALSE(Chart.View3D());
    EXPECT_EQ(Chart.BackWall().Color(), clWhite);
    EXPECT_TRUE(Chart.BackWall().BrushClear());

    ASSERT_EQ(Chart.SeriesCount(), 1);
    const TLineSeries* S = Chart.Series(0);
    EXPECT_EQ(S->objectName(), "Series1");
    EXPECT_EQ(S->Title(), "Temperature");
    EXPECT_EQ(S->Color(), clRed);
    EXPECT_TRUE(S->PointerVisible());
    EXPECT_FALSE(S->MarksVisible());
    EXPECT_EQ(S->XOrder(), TChartXOrder::Ascending);
    EXPECT_TRUE(S->Active());
}

TEST(SoundingChartDefaults, textsKeepTheirExactLines)
{
    const std::vector<std::string> P = ProfileDefaults();
    ASSERT_EQ(P.size(), 43u);
    // Spot checks where a retyped text most easily goes wrong: tabs, the
    // space before a minus, the comment, and the lone space at the end.
    EXPECT_EQ(P[9], "51000  =\t -2.5");
    EXPECT_EQ(P[11], "32000  =\t-44.5");
    EXPECT_EQ(P[15], ";         bbggrr");
    EXPECT_EQ(P[21], "color  = $8000ff");
    EXPECT_EQ(P[28], "color  = $000000");
    EXPECT_EQ(P[39], "color  = $0080ff");
    EXPECT_EQ(P[41], "");
    EXPECT_EQ(P[42], " ");

    const std::vector<std::string> C = CatalogueDefaults();
    ASSERT_EQ(C.size(), 14u);
    EXPECT_EQ(C[1], "// if a file is sepcified, it will be loaded before anything is displayed (slow)");
    EXPECT_EQ(C[3], "file = xTucson 2006.html");
    EXPECT_EQ(C[4], "ms_per_frame = 1");
    EXPECT_EQ(C[5], "");
    EXPECT_EQ(C[13], "YUMA 2006.html=");
}

// ------------------------------------------------------------ settings

TEST_F(SoundingChartTest, defaultSettingsGiveTheSevenSeriesAndTheAxes)
{
    SetupChart1(Chart);
    auto Ini = Settings(ProfileDefaults());
    ReadChartSettings(*Ini, Chart);
    EXPECT_EQ(Chart.BottomAxis().Minimum(), -90);
    EXPECT_EQ(Chart.BottomAxis().Maximum(), 50);
    EXPECT_EQ(Chart.LeftAxis().Minimum(), 0);
    EXPECT_EQ(Chart.LeftAxis().Maximum(), 51000);
    ASSERT_EQ(Chart.SeriesCount(), 8);

    struct SlotCase {
        int Slot;
        TColor Color;
        int Points;
    };
    const SlotCase Slots[] = {
        {1, 0xFF0000, 6},
        {2, 0x8000FF, 2},
        {3, chartstyle::DefaultSeriesColor(3), 2},  // no colour in its section
        {4, 0x000000, 2},
        {5, 0x008000, 0},
        {6, 0x000000, 0},
        {7, 0x0080FF, 0},
    };
    for (const SlotCase& C : Slots) {
        const TLineSeries* S = Chart.Series(C.Slot);
        EXPECT_EQ(S->Color(), C.Color) << "slot " << C.Slot;
        EXPECT_EQ(S->Count(), C.Points) << "slot " << C.Slot;
        EXPECT_FALSE(S->Active()) << "slot " << C.Slot;
        EXPECT_EQ(S->XOrder(), TChartXOrder::None) << "slot " << C.Slot;
    }
    // The standard atmosphere in file order, not sorted.
    const TLineSeries* Standard = Chart.Series(1);
    const double X[] = {-2.5, -2.5, -44.5, -56.5, -56.5, 15};
    const double Y[] = {51000, 47000, 32000, 20000, 11000, 0};
    for (int I = 0; I < 6; ++I) {
        EXPECT_EQ(Standard->XValue(I), X[I]) << I;
        EXPECT_EQ(Standard->YValue(I), Y[I]) << I;
    }
}

TEST_F(SoundingChartTest, aProfileSectionReadsAsItsKeysSay)
{
    struct Case {
        const char* What;
        std::vector<std::string> Lines;
        std::vector<std::pair<double, double>> Points;
        TColor Color;  // 0xFFFFFFFF: the new-series colour
        const char* Error;
    };
    const TColor Fresh = 0xFFFFFFFF;
    const Case Cases[] = {
        {"points in key order, colour anywhere",
         {"[P]", "0 = 15", "color = $00ff00", "20000 = -45", "5000 = x"},
         {{15, 0}, {-45, 20000}, {0, 5000}},
         0x00FF00,
         nullptr},
        {"hexadecimal altitudes", {"[P]", "$10 = 1", "0x20 = 2"}, {{1, 16}, {2, 32}}, Fresh, nullptr},
        {"a missing section", {"[Other]", "1 = 1"}, {}, Fresh, nullptr},
        {"Color is not color", {"[P]", "0 = 15", "Color = $ff"}, {{15, 0}}, Fresh,
         "'Color' is not a valid integer value"},
        {"a decimal altitude", {"[P]", "11000.5 = -56.5"}, {}, Fresh, "'11000.5' is not a valid integer value"},
        {"a colour that is no number", {"[P]", "color = red"}, {}, Fresh, "'red' is not a valid integer value"},
    };
    for (const Case& C : Cases) {
        TChart Local;
        SetupChart1(Local);
        auto Ini = Settings(C.Lines);
        TLineSeries* S = nullptr;
        if (C.Error) {
            try {
                ReadProfile(*Ini, Local, "P");
                ADD_FAILURE() << C.What << ": no error";
            } catch (const EConvertError& E) {
                EXPECT_EQ(E.Message(), C.Error) << C.What;
            }
            // The series exists even so, with the points read before.
            ASSERT_EQ(Local.SeriesCount(), 2) << C.What;
            S = Local.Series(1);
        } else {
            S = ReadProfile(*Ini, Local, "P");
            ASSERT_EQ(Local.SeriesCount(), 2) << C.What;
            EXPECT_EQ(S, Local.Series(1)) << C.What;
        }
        EXPECT_FALSE(S->Active()) << C.What;
        EXPECT_EQ(S->Color(), C.Color == Fresh ? chartstyle::DefaultSeriesColor(1) : C.Color) << C.What;
        ASSERT_EQ(S->Count(), int(C.Points.size())) << C.What;
        for (int I = 0; I < S->Count(); ++I) {
            EXPECT_EQ(S->XValue(I), C.Points[std::size_t(I)].first) << C.What << " point " << I;
            EXPECT_EQ(S->YValue(I), C.Points[std::size_t(I)].second) << C.What << " point " << I;
        }
    }
}

TEST_F(SoundingChartTest, axisRangesAreTakenWholeWhereverTheyLie)
{
    struct Case {
        std::vector<std::string> Lines;
        double TMin, TMax, AMin, AMax;
        bool Refused;
    };
    const Case Cases[] = {
        // Above the starting ranges (0..25, 0..256): fine as a whole.
        {{"[Temperature]", "min = 30", "max = 40", "[Altitude]", "min = 1000", "max = 2000"}, 30, 40, 1000, 2000, false},
        {{"[Temperature]", "min = -5", "max = -5", "[Altitude]", "min = 0", "max = 10"}, -5, -5, 0, 10, false},
        // Nothing given: every key reads as 0.
        {{"[Unrelated]"}, 0, 0, 0, 0, false},
        {{"[Temperature]", "min = 10", "max = 5", "[Altitude]", "min = 0", "max = 1"}, 0, 25, 0, 256, true},
    };
    for (const Case& C : Cases) {
        TChart Local;
        SetupChart1(Local);
        auto Ini = Settings(C.Lines);
        if (C.Refused) {
            try {
                ApplyAxisRanges(*Ini, Local);
                ADD_FAILURE() << "a reversed range was taken";
            } catch (const EChartException& E) {
                EXPECT_EQ(E.Message(), "Axis Minimum Value must be <= Maximum");
            }
        } else {
            ApplyAxisRanges(*Ini, Local);
        }
        EXPECT_EQ(Local.BottomAxis().Minimum(), C.TMin);
        EXPECT_EQ(Local.BottomAxis().Maximum(), C.TMax);
        EXPECT_EQ(Local.LeftAxis().Minimum(), C.AMin);
        EXPECT_EQ(Local.LeftAxis().Maximum(), C.AMax);
    }
}

TEST_F(SoundingChartTest, seriesChoiceShowsAndHidesBySlot)
{
    SetupChart1(Chart);
    auto Ini = Settings(ProfileDefaults());
    ReadChartSettings(*Ini, Chart);
    TSeriesChoice Choice;
    Choice.Shown[2] = Choice.Shown[5] = Choice.Shown[7] = true;
    Choice.Shown[0] = false;  // never hides the temperature
    Choice.Markers = true;
    ApplySeriesChoice(Chart, Choice);
    for (int Slot = 0; Slot < SlotCount; ++Slot)
        EXPECT_EQ(Chart.Series(Slot)->Active(), Slot == 0 || Slot == 2 || Slot == 5 || Slot == 7) << Slot;
    EXPECT_FALSE(Chart.Series(0)->PointerVisible());
    EXPECT_TRUE(Chart.Series(0)->MarksVisible());

    ApplySeriesChoice(Chart, TSeriesChoice{});
    for (int Slot = 1; Slot < SlotCount; ++Slot)
        EXPECT_FALSE(Chart.Series(Slot)->Active()) << Slot;

    // A chart without the seven series is left as it is.
    TChart Bare;
    SetupChart1(Bare);
    ApplySeriesChoice(Bare, Choice);
    EXPECT_EQ(Bare.SeriesCount(), 1);
}

// ------------------------------------------------------------ frames

// Three soundings, each a set of vertical lines: temperature at -60 + 30 k,
// dew point difference at 10 + 10 k, wind direction at 15 + 10 k (x 10),
// wind speed at 5 + 10 k.
TLapseRates ThreeSoundings()
{
    TLapseRates Set;
    for (int K = 0; K < 3; ++K) {
        TSounding S;
        S.Title = "launch " + std::to_string(K);
        for (int H = 1000; H <= 30000; H += 1000)
            S.AddLevel(1000.0f - H / 40.0f, float(H), -60.0f + 30 * K, 10.0f + 10 * K, 150.0f + 100 * K,
                       5.0f + 10 * K);
        Set.Soundings.push_back(S);
    }
    return Set;
}

class FrameRenderer : public SoundingChartTest {
protected:
    void SetUp() override
    {
        Chart.resize(Chart1Width, Chart1Height);
        SetupChart1(Chart);
        auto Ini = Settings(ProfileDefaults());
        ReadChartSettings(*Ini, Chart);
        Set = ThreeSoundings();
    }

    QPoint Pixel(double X, double Y) const
    {
        const QPointF At = Chart.ValueToPixel(X, Y);
        return QPoint(int(std::lround(At.x())), int(std::lround(At.y())));
    }

    // How many of 20 points up the vertical line at X have colour C.
    int Along(const QImage& Image, double X, QRgb C) const
    {
        int N = 0;
        for (int H = 3000; H < 23000; H += 1000)
            N += (Image.pixel(Pixel(X, H)) | 0xFF000000u) == (C | 0xFF000000u);
        return N;
    }

    TLapseRates Set;
};

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 128, 0);
const QRgb Orange = qRgb(255, 128, 0);
const QRgb Black = qRgb(0, 0, 0);

TEST_F(FrameRenderer, aFrameShowsItsSoundingsTemperature)
{
    TFrameRenderer R(Chart, Set);
    for (int K = 0; K < 3; ++K) {
        const QImage Image = R.RenderFrame(K, Chart.size());
        ASSERT_EQ(Image.size(), QSize(Chart1Width, Chart1Height));
        EXPECT_EQ(Set.Current, K);
        for (int J = 0; J < 3; ++J)
            EXPECT_EQ(Along(Image, -60 + 30 * J, Red), J == K ? 20 : 0) << "frame " << K << ", line " << J;
    }
}

TEST_F(FrameRenderer, framesOutsideThePageAreClampedAsTheTrackBarWould)
{
    TFrameRenderer R(Chart, Set);
    const QImage Last = R.RenderFrame(99, Chart.size());
    EXPECT_EQ(Set.Current, 2);
    EXPECT_EQ(Along(Last, 0, Red), 20);
    R.RenderFrame(-4, Chart.size());
    EXPECT_EQ(Set.Current, 0);
}

TEST_F(FrameRenderer, shownExtraSeriesFollowTheFrameAndHiddenOnesAreNotPlotted)
{
    TSeriesChoice Choice;
    Choice.Shown[5] = Choice.Shown[7] = true;
    ApplySeriesChoice(Chart, Choice);
    TFrameRenderer R(Chart, Set);
    for (int K = 0; K < 3; ++K) {
        const QImage Image = R.RenderFrame(K, Chart.size());
        EXPECT_EQ(Along(Image, 10 + 10 * K, Green), 20) << "dew point, frame " << K;
        EXPECT_EQ(Along(Image, 5 + 10 * K, Orange), 20) << "wind speed, frame " << K;
        EXPECT_EQ(Along(Image, 15 + 10 * K, Black), 0) << "wind direction is hidden, frame " << K;
        EXPECT_EQ(Chart.Series(5)->Count(), 30);
        EXPECT_EQ(Chart.Series(5)->XValue(0), 10 + 10 * K);
    }
    // Like an unchecked box's series, the hidden one was never filled.
    EXPECT_EQ(Chart.Series(6)->Count(), 0);
}

TEST_F(FrameRenderer, theSameFrameGivesTheSamePixelsEveryTime)
{
    TSeriesChoice Choice;
    Choice.Shown[1] = Choice.Shown[6] = true;
    Choice.Points = true;
    ApplySeriesChoice(Chart, Choice);
    TFrameRenderer R(Chart, Set);
    const QImage First = R.RenderFrame(1, Chart.size());
    const QImage Other = R.RenderFrame(2, Chart.size());
    const QImage Again = R.RenderFrame(1, Chart.size());
    EXPECT_EQ(First, Again);
    EXPECT_NE(First, Other);
}

TEST_F(FrameRenderer, aCopyOfTheChartDrawsTheSamePixels)
{
    TSeriesChoice Choice;
    Choice.Shown[2] = Choice.Shown[5] = true;
    Choice.Points = Choice.Markers = true;
    ApplySeriesChoice(Chart, Choice);
    Chart.Series(2)->SetXValue(0, -150);  // as a scroll bar moves a line
    TFrameRenderer R(Chart, Set);
    const QImage Shown = R.RenderFrame(1, Chart.size());

    TChart Copy;
    Copy.resize(Chart.size());
    CopyChart(Chart, Copy);
    ASSERT_EQ(Copy.SeriesCount(), Chart.SeriesCount());
    for (int Slot = 0; Slot < SlotCount; ++Slot) {
        const TLineSeries* A = Chart.Series(Slot);
        const TLineSeries* B = Copy.Series(Slot);
        EXPECT_EQ(B->Color(), A->Color()) << Slot;
        EXPECT_EQ(B->Active(), A->Active()) << Slot;
        EXPECT_EQ(B->XOrder(), A->XOrder()) << Slot;
        ASSERT_EQ(B->Count(), A->Count()) << Slot;
        for (int I = 0; I < A->Count(); ++I)
            EXPECT_EQ(B->XValue(I), A->XValue(I)) << Slot << ":" << I;
    }
    EXPECT_EQ(Copy.RenderToImage(Copy.size()), Shown);

    // Frames drawn on the copy are those of the chart on show.
    TLapseRates Other = ThreeSoundings();
    TFrameRenderer OnCopy(Copy, Other);
    EXPECT_EQ(OnCopy.RenderFrame(2, Copy.size()), R.RenderFrame(2, Chart.size()));
}

TEST_F(FrameRenderer, anotherSizeLeavesTheChartAsItWasShown)
{
    TFrameRenderer R(Chart, Set);
    const QImage Shown = R.RenderFrame(0, Chart.size());
    const QImage Small = R.RenderFrame(0, QSize(400, 200));
    EXPECT_EQ(Small.size(), QSize(400, 200));
    EXPECT_EQ(Chart.RenderToImage(Chart.size()), Shown);
}

}  // namespace
