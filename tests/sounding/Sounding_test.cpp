#include "sounding/Heights.h"
#include "sounding/LapseRates.h"

#include "RecordingSeries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float M = MissingValue;

using Points = std::vector<std::pair<double, double>>;

TSounding SoundingOf(const std::vector<TSoundingLevel>& Levels, std::string Title = {})
{
    TSounding s;
    s.Levels = Levels;
    s.Title = std::move(Title);
    return s;
}

// ------------------------------------------------------------ records

TEST(SoundingRecords, addLevelStoresTheSixValuesInOrder)
{
    TSounding s;
    s.AddLevel(1, 2, 3, 4, 5, 6);
    s.AddLevel(7, 8, 9, 10, 11, 12);
    ASSERT_EQ(s.Levels.size(), 2u);
    const TSoundingLevel& l = s.Levels[1];
    EXPECT_EQ(l.Pressure, 7);
    EXPECT_EQ(l.Height, 8);
    EXPECT_EQ(l.Temperature, 9);
    EXPECT_EQ(l.DewPointDiff, 10);
    EXPECT_EQ(l.WindDirection, 11);
    EXPECT_EQ(l.WindSpeed, 12);
    s.Clear();
    EXPECT_TRUE(s.Levels.empty());
}

TEST(SoundingRecords, newSetHasNoSoundingAndNoCurrent)
{
    TLapseRates set;
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.Current, -1);
}

TEST(SoundingRecords, clearKeepsTheCursor)
{
    TLapseRates set;
    set.Soundings.resize(3);
    set.Current = 2;
    set.Clear();
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.Current, 2);
}

// ------------------------------------------------------------ plotting

TEST(SoundingPlot, temperatureClearsThenKeepsLevelOrder)
{
    const TSounding s = SoundingOf({{1000, 100, 15, 1, 90, 5}, {900, 1000, 8, 2, 180, 7}, {950, 500, 20, 3, 0, 1}});
    RecordingSeries series;
    series.AddXY(99, 99);  // a point of an earlier plot
    s.PlotTemperature(series);
    EXPECT_EQ(series.Calls, (std::vector<std::string>{"point", "clear", "order none", "point", "point", "point"}));
    EXPECT_EQ(series.Points, (Points{{15, 100}, {8, 1000}, {20, 500}}));
}

TEST(SoundingPlot, temperatureLeavesOutLevelsWithoutHeight)
{
    TSounding s = SoundingOf({{1000, 100, 15, 1, 1, 1}, {990, M, 14, 1, 1, 1}, {900, 1000, 8, 1, 1, 1}});
    RecordingSeries series;
    s.PlotTemperature(series);
    EXPECT_EQ(series.Points, (Points{{15, 100}, {8, 1000}}));
    // With its height computed (about 190 m) the level shows, as every profile line draws it.
    sounding::ComputeHeights(s);
    ASSERT_GT(s.Levels[1].Altitude, 150);
    ASSERT_LT(s.Levels[1].Altitude, 250);
    s.PlotTemperature(series);
    EXPECT_EQ(series.Points, (Points{{15, 100}, {14, s.Levels[1].Altitude}, {8, 1000}}));
    for (auto* Plot : {PlotDewPointDiff, PlotWindDirection, PlotWindSpeed}) {
        Plot(s, series);
        ASSERT_EQ(series.Points.size(), 3u);
        EXPECT_EQ(series.Points[1].second, s.Levels[1].Altitude);
    }
}

struct ExtraCase {
    const char* Name;
    void (*Plot)(const TSounding&, TPlotSeries&);
    TSoundingQuantity Kind;
    Points Expected;
};

// Levels: values 0 (drawn), -9999 and -1 (not drawn), one level without a
// height (not drawn: at -9999 m it would spike the profile) and one after it.
const TSounding kExtras = SoundingOf({
    {1000, 100, 15, 0, 90, 5},
    {950, 500, 12, M, M, M},
    {900, 1000, 8, -1, -1, -1},
    {850, M, 5, 4, 270, 0},
    {800, 2000, 1, 6, 180, 8},
});

class ExtraProfiles : public ::testing::TestWithParam<ExtraCase> {};

TEST_P(ExtraProfiles, drawOnlyValuesOfZeroAndAbove)
{
    const ExtraCase& c = GetParam();
    RecordingSeries series;
    c.Plot(kExtras, series);
    ASSERT_GE(series.Calls.size(), 2u);
    EXPECT_EQ(series.Calls[0], "clear");
    EXPECT_EQ(series.Calls[1], "order none");
    EXPECT_EQ(series.Points, c.Expected);
}

TEST_P(ExtraProfiles, plotQuantityDrawsTheSameForTheCurrentSounding)
{
    const ExtraCase& c = GetParam();
    TLapseRates set;
    set.Soundings = {TSounding(), kExtras};
    set.Current = 1;
    RecordingSeries series;
    set.PlotQuantity(c.Kind, series);
    EXPECT_EQ(series.Points, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Quantities, ExtraProfiles,
    ::testing::Values(ExtraCase{"DewPointDiff", PlotDewPointDiff, sqDewPointDiff, {{0, 100}, {6, 2000}}},
                      ExtraCase{"WindDirection", PlotWindDirection, sqWindDirection, {{9, 100}, {18, 2000}}},
                      ExtraCase{"WindSpeed", PlotWindSpeed, sqWindSpeed, {{5, 100}, {8, 2000}}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(SoundingPlot, plotQuantityOfAnUnknownKindDoesNothing)
{
    TLapseRates set;
    set.Soundings = {kExtras};
    set.Current = 0;
    RecordingSeries series;
    set.PlotQuantity(static_cast<TSoundingQuantity>(3), series);
    set.PlotQuantity(static_cast<TSoundingQuantity>(255), series);
    EXPECT_TRUE(series.Untouched());
}

// ------------------------------------------------------------ surface height

struct PH {
    float Pressure;
    float Height;
    bool operator==(const PH&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const PH& L) { return Out << "(" << L.Pressure << ", " << L.Height << ")"; }

struct SurfaceCase {
    const char* Name;
    std::vector<PH> Before;
    std::vector<PH> After;
};

class FixSurface : public ::testing::TestWithParam<SurfaceCase> {};

TEST_P(FixSurface, givesTheSurfaceItsHeightAndPlace)
{
    const SurfaceCase& c = GetParam();
    TSounding s;
    // The temperature tells the levels apart after the move.
    for (std::size_t i = 0; i < c.Before.size(); ++i)
        s.AddLevel(c.Before[i].Pressure, c.Before[i].Height, float(i), 0, 0, 0);
    s.FixSurface();
    std::vector<PH> after;
    for (const TSoundingLevel& l : s.Levels) after.push_back({l.Pressure, l.Height});
    EXPECT_EQ(after, c.After);
    // Levels are moved, never copied or lost.
    std::vector<float> order;
    for (const TSoundingLevel& l : s.Levels) order.push_back(l.Temperature);
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], float(i));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixSurface,
    ::testing::Values(
        // 1500 + 5600 * log2(850 / 1000) = 186.96
        SurfaceCase{"extrapolatesFromTheOnlyReference", {{1000, M}, {850, 1500}}, {{850, 1500}, {1000, 187}}},
        SurfaceCase{"surfaceWithHeightStays", {{1000, 30}, {850, 1500}}, {{1000, 30}, {850, 1500}}},
        SurfaceCase{"singleLevelStays", {{1000, M}}, {{1000, M}}},
        SurfaceCase{"fiveLevelsFirstTwoWithoutHeightStay",
                    {{1000, M}, {990, M}, {900, 900}, {800, 1800}, {700, 2700}},
                    {{1000, M}, {990, M}, {900, 900}, {800, 1800}, {700, 2700}}},
        // q = 1010/100, r = 900/900: 100 + (-10) * 800 / (-110) = 172.7
        SurfaceCase{"interpolatesBetweenTheNearestLevels",
                    {{1000, M}, {1010, 100}, {900, 900}, {800, 1800}},
                    {{1010, 100}, {1000, 173}, {900, 900}, {800, 1800}}},
        // q moves to 1005/80 at index 2: 80 + (-5) * 420 / (-55) = 118.2
        SurfaceCase{"movesAfterTheClosestLevelBelow",
                    {{1000, M}, {1020, 50}, {1005, 80}, {950, 500}},
                    {{1020, 50}, {1005, 80}, {1000, 118}, {950, 500}}},
        SurfaceCase{
            "halfRoundsToEvenDown", {{1000, M}, {1001, 100}, {999, 101}}, {{1001, 100}, {1000, 100}, {999, 101}}},
        SurfaceCase{"halfRoundsToEvenUp", {{1000, M}, {1001, 101}, {999, 102}}, {{1001, 101}, {1000, 102}, {999, 102}}},
        // A reference without height would drag the surface to about -9999 m.
        SurfaceCase{"referenceWithoutHeightIsPassedOver",
                    {{1000, M}, {1010, 100}, {990, M}, {900, 900}},
                    {{1010, 100}, {1000, 173}, {990, M}, {900, 900}}},
        // The last level has no height and nothing replaced it:
        // 100 + 5600 * log2(1010 / 1000) = 180.4
        SurfaceCase{"lastLevelWithoutHeightFallsBackToExtrapolation",
                    {{1000, M}, {1010, 100}, {700, M}},
                    {{1010, 100}, {1000, 180}, {700, M}}},
        SurfaceCase{"missingSurfacePressureLeavesItUnfixed", {{M, M}, {850, 1500}}, {{M, M}, {850, 1500}}},
        SurfaceCase{"zeroSurfacePressureLeavesItUnfixed", {{0, M}, {850, 1500}}, {{0, M}, {850, 1500}}},
        SurfaceCase{"referenceWithoutPressureLeavesItUnfixed", {{1000, M}, {M, 100}}, {{1000, M}, {M, 100}}},
        SurfaceCase{"referenceAtZeroPressureLeavesItUnfixed",
                    {{1000, M}, {1010, 100}, {0, 500}},
                    {{1000, M}, {1010, 100}, {0, 500}}},
        SurfaceCase{"heightBeyondSinglePrecisionLeavesItUnfixed",
                    {{5000, M}, {5001, -3e38f}, {4999.5f, 3e38f}},
                    {{5000, M}, {5001, -3e38f}, {4999.5f, 3e38f}}},
        // First pass: q searched (1010/100), r = 900/900 -> 173, moved to index 1.
        // Second pass for 990: q = 1000/173, r = 900/900 -> 173 + 72.7 = 245.7.
        SurfaceCase{"secondLevelWithoutHeightGetsItsOwnPass",
                    {{1000, M}, {990, M}, {1010, 100}, {900, 900}, {800, 1800}, {700, 2700}, {600, 3600}},
                    {{1000, 173}, {990, 246}, {1010, 100}, {900, 900}, {800, 1800}, {700, 2700}, {600, 3600}}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// ------------------------------------------------------------ frame cursor

TLapseRates ThreeSoundings()
{
    TLapseRates set;
    for (int i = 0; i < 3; ++i)
        set.Soundings.push_back(SoundingOf({{1000, float(i), float(10 * i), 0, 0, 0}}, "S" + std::to_string(i)));
    return set;
}

// The sounding a series shows, by the temperature of its one point.
int Shown(const RecordingSeries& Series)
{
    if (Series.Points.size() != 1) return -1;
    return int(Series.Points[0].first / 10);
}

TEST(FrameCursor, emptySetPlotsNothing)
{
    TLapseRates set;
    RecordingSeries series;
    EXPECT_EQ(set.PlotNext(series), -1);
    EXPECT_EQ(set.PlotPrev(series), -1);
    set.PlotFrame(0, series);
    set.PlotQuantity(sqDewPointDiff, series);
    EXPECT_EQ(set.CurrentTitle(), "");
    EXPECT_EQ(set.Current, -1);
    EXPECT_TRUE(series.Untouched());
}

TEST(FrameCursor, firstNextPlotsTheFirstSounding)
{
    TLapseRates set = ThreeSoundings();
    RecordingSeries series;
    EXPECT_EQ(set.PlotNext(series), 1);
    EXPECT_EQ(Shown(series), 0);
}

TEST(FrameCursor, firstPrevPlotsTheFirstAndWrapsToTheLast)
{
    TLapseRates set = ThreeSoundings();
    RecordingSeries series;
    EXPECT_EQ(set.PlotPrev(series), 2);
    EXPECT_EQ(Shown(series), 0);
}

TEST(FrameCursor, nextWrapsFromTheLastAndPrevFromTheFirst)
{
    TLapseRates set = ThreeSoundings();
    RecordingSeries series;
    set.Current = 2;
    EXPECT_EQ(set.PlotNext(series), 0);
    EXPECT_EQ(Shown(series), 2);
    EXPECT_EQ(set.PlotPrev(series), 2);
    EXPECT_EQ(Shown(series), 0);
    EXPECT_EQ(set.PlotPrev(series), 1);
    EXPECT_EQ(Shown(series), 2);
}

TEST(FrameCursor, oneSoundingStaysCurrent)
{
    TLapseRates set;
    set.Soundings.push_back(SoundingOf({{1000, 5, 0, 0, 0, 0}}, "only"));
    RecordingSeries series;
    EXPECT_EQ(set.PlotNext(series), 0);
    EXPECT_EQ(series.Points, (Points{{0, 5}}));
    series = RecordingSeries();
    EXPECT_EQ(set.PlotPrev(series), 0);
    EXPECT_EQ(series.Points, (Points{{0, 5}}));
}

TEST(FrameCursor, plotFrameClampsTheIndex)
{
    const std::pair<int, int> cases[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 2}, {6, 2}};
    for (const auto& [index, expected] : cases) {
        TLapseRates set = ThreeSoundings();
        RecordingSeries series;
        set.PlotFrame(index, series);
        EXPECT_EQ(set.Current, expected) << index;
        EXPECT_EQ(Shown(series), expected) << index;
        EXPECT_EQ(set.CurrentTitle(), "S" + std::to_string(expected));
    }
}

// A load can leave fewer soundings than the cursor counts: the set then
// behaves as an empty one and the cursor stays.
TEST(FrameCursor, cursorPastTheEndActsAsEmpty)
{
    for (const int count : {0, 2}) {
        TLapseRates set = ThreeSoundings();
        set.Current = 2;
        set.Soundings.resize(std::size_t(count));
        RecordingSeries series;
        EXPECT_EQ(set.PlotNext(series), 2);
        EXPECT_EQ(set.PlotPrev(series), 2);
        EXPECT_EQ(set.CurrentTitle(), "");
        set.PlotQuantity(sqWindSpeed, series);
        EXPECT_TRUE(series.Untouched());
        EXPECT_EQ(set.Current, 2);
    }
}

TEST(FrameCursor, plotFrameBringsAStaleCursorBackIntoRange)
{
    TLapseRates set = ThreeSoundings();
    set.Current = 10;
    RecordingSeries series;
    set.PlotFrame(set.Current, series);
    EXPECT_EQ(set.Current, 2);
    EXPECT_EQ(Shown(series), 2);
}

}  // namespace
