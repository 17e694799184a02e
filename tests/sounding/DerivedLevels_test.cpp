// The derived levels on hand-made profiles with known answers and on real
// Perth and Sterling launches whose values were read off the files by hand; the
// time-height grid of a few soundings.

#include "analysis/DerivedLevels.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSources.h"
#include "analysis/TimeHeightSection.h"

#include "platform/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <tuple>
#include <utility>

namespace {

// Gives a sounding the launch of Station at Date ("YYYY-MM-DD") and Hour,
// and the title a reader gives it.
void Launch(TSounding& S, const char* Station, const char* Date, int Hour)
{
    S.Launch = sounding::LaunchKey(Station, *sounding::DateOfText(Date), Hour);
    S.Title = sounding::LaunchTitle(Station, S.Launch);
}

constexpr float M = MissingValue;

struct Level {
    float P, H, T;
};

TSounding Make(const std::vector<Level>& Levels)
{
    TSounding S;
    for (const Level& L : Levels) S.AddLevel(L.P, L.H, L.T, M, M, M);
    return S;
}

// 6.5 C/km from 15 C at the ground to 11 km, isothermal above.
const std::vector<Level> Textbook = {
    {1000, 0, 15},        {850, 1500, 5.25f},   {700, 3000, -4.5f},   {500, 5600, -21.4f},  {300, 9200, -44.8f},
    {250, 10400, -52.6f}, {226, 11000, -56.5f}, {150, 13600, -56.5f}, {100, 16200, -56.5f}, {50, 20600, -56.5f},
};

struct Expected {
    const char* Name;
    std::vector<Level> Levels;
    std::optional<float> Surface;
    bool BelowFreezing;
    std::optional<float> Freezing;
    std::optional<TWarmLayer> WarmLayer;
    std::optional<TTropopause> Tropopause;
    std::optional<TInversion> Inversion;
};

void ExpectNear(const std::optional<float>& Got, const std::optional<float>& Want, const char* What)
{
    ASSERT_EQ(Got.has_value(), Want.has_value()) << What;
    if (Want) {
        EXPECT_NEAR(*Got, *Want, 0.5) << What;
    }
}

TEST(DerivedLevels, handMadeProfiles)
{
    std::vector<Level> ThinLayer = {{1000, 0, 15},    {700, 3000, -4.5f},   {500, 5600, -21.4f}, {356, 8000, -37},
                                    {330, 9000, -37}, {265, 10000, -43.5f}, {226, 11000, -50},   {100, 16200, -50}};
    // 100 m isothermal at 6300 m, then nothing up to 10400 m: the levels
    // within 2 km pass, the air at 8300 m (-38.6 C) does not.
    std::vector<Level> GapAbove = {{1000, 0, 15},    {700, 3000, -4.5f},   {500, 5600, -21.4f},  {430, 6300, -26},
                                   {425, 6400, -26}, {250, 10400, -52.6f}, {226, 11000, -56.5f}, {100, 16200, -56.5f}};
    std::vector<Level> NoPressureAloft = Textbook;
    NoPressureAloft[6].P = M;  // the tropopause level itself
    NoPressureAloft[7].P = M;
    std::vector<Level> EndsTooSoon(Textbook.begin(), Textbook.begin() + 7);
    EndsTooSoon.push_back({190, 12000, -56.5f});
    const TTropopause Textbook11km{11000, -56.5f, 226};
    // clang-format off
    const Expected Cases[] = {
        {"textbook", Textbook, 0, false, 2307.7f, std::nullopt, Textbook11km, std::nullopt},
        // 1 km isothermal at 8 km, but 6.5 C/km again within 2 km above it.
        {"thin isothermal layer", ThinLayer, 0, false, 2307.7f, std::nullopt, TTropopause{11000, -50, 226},
         std::nullopt},
        {"gap above a thin isothermal layer", GapAbove, 0, false, 2307.7f, std::nullopt, Textbook11km,
         std::nullopt},
        // The tropopause's pressure from 250 hPa at 10400 m and 150 hPa at 13600 m.
        {"missing pressures above 500 hPa", NoPressureAloft, 0, false, 2307.7f, std::nullopt,
         TTropopause{11000, -56.5f, 227.2f}, std::nullopt},
        {"ends 1 km above the isothermal start", EndsTooSoon, 0, false, 2307.7f, std::nullopt, std::nullopt,
         std::nullopt},
        {"surface inversion, below 500 hPa only",
         {{1000, 0, 5}, {980, 200, 8}, {950, 500, 9}, {900, 900, 7}, {700, 3000, -8}},
         0, false, 1880, std::nullopt, std::nullopt, TInversion{0, 500, 4}},
        // Freezing rain: the air freezes again at 733 m, the top of the layer.
        {"warm layer over a frozen surface",
         {{1000, 0, -3}, {950, 400, 2}, {900, 900, -1}},
         0, true, 733.3f, TWarmLayer{240, 733.3f, 2}, std::nullopt, TInversion{0, 400, 5}},
        {"warm layer above the freezing level",
         {{1000, 0, 5}, {900, 1000, -2}, {850, 1500, 1}, {800, 2000, -3}},
         0, false, 714.3f, TWarmLayer{1333.3f, 1625, 1}, std::nullopt, TInversion{1000, 1500, 3}},
        {"warm up to the top is no layer aloft", {{1000, 0, -3}, {950, 400, 2}}, 0, true, std::nullopt,
         std::nullopt, std::nullopt, TInversion{0, 400, 5}},
        // A reading of exactly 0 C is where the air first is at 0 C.
        {"a level at exactly 0 C below warmer air",
         {{1000, 0, 5}, {850, 1544, 0}, {800, 2000, 0.5f}, {650, 3364, -3}},
         0, false, 1544, std::nullopt, std::nullopt, TInversion{1544, 2000, 0.5f}},
        {"a surface at exactly 0 C below warmer air", {{1000, 0, 0}, {900, 1000, 2}, {800, 2000, -4}}, 0, false, 0,
         std::nullopt, std::nullopt, TInversion{0, 1000, 2}},
        {"all below freezing: the surface", {{1000, 0, -5}, {850, 1500, -15}, {500, 5500, -40}}, 0, true, 0,
         std::nullopt, std::nullopt, std::nullopt},
        {"all above freezing", {{1000, 0, 30}, {900, 1000, 25}}, 0, false, std::nullopt, std::nullopt, std::nullopt,
         std::nullopt},
        // Levels are used only with both height and temperature, in height order.
        {"missing heights and temperatures, out of order",
         {{1000, 0, 10}, {900, 1000, 5}, {1000, M, 15}, {850, 1500, M}, {M, 2000, -5}},
         0, false, 1500, std::nullopt, std::nullopt, std::nullopt},
        // The surface height is the first level's own, not the lowest one known.
        {"surface without a height", {{1000, M, 15}, {850, 1500, 3}}, std::nullopt, false, std::nullopt,
         std::nullopt, std::nullopt, std::nullopt},
        {"no usable level", {{1000, M, 15}, {850, 1500, M}}, std::nullopt, false, std::nullopt, std::nullopt,
         std::nullopt, std::nullopt},
        {"surface below -500 m", {{1000, -2638, 15}, {850, 1500, 3}}, std::nullopt, false, std::nullopt,
         std::nullopt, std::nullopt, std::nullopt},
    };
    // clang-format on
    for (const Expected& E : Cases) {
        SCOPED_TRACE(E.Name);
        const TDerivedLevels D = DeriveLevels(Make(E.Levels));
        ExpectNear(D.SurfaceHeight, E.Surface, "surface");
        EXPECT_EQ(D.SurfaceBelowFreezing, E.BelowFreezing);
        ExpectNear(D.FreezingLevel, E.Freezing, "freezing level");
        ASSERT_EQ(D.WarmLayer.has_value(), E.WarmLayer.has_value());
        if (E.WarmLayer) {
            EXPECT_NEAR(D.WarmLayer->Base, E.WarmLayer->Base, 0.5);
            EXPECT_NEAR(D.WarmLayer->Top, E.WarmLayer->Top, 0.5);
            EXPECT_FLOAT_EQ(D.WarmLayer->MaxTemperature, E.WarmLayer->MaxTemperature);
        }
        ASSERT_EQ(D.Tropopause.has_value(), E.Tropopause.has_value());
        if (E.Tropopause) {
            EXPECT_FLOAT_EQ(D.Tropopause->Height, E.Tropopause->Height);
            EXPECT_FLOAT_EQ(D.Tropopause->Temperature, E.Tropopause->Temperature);
            ExpectNear(D.Tropopause->Pressure, E.Tropopause->Pressure, "tropopause pressure");
        }
        ASSERT_EQ(D.Inversion.has_value(), E.Inversion.has_value());
        if (E.Inversion) {
            EXPECT_FLOAT_EQ(D.Inversion->Base, E.Inversion->Base);
            EXPECT_FLOAT_EQ(D.Inversion->Top, E.Inversion->Top);
            EXPECT_FLOAT_EQ(D.Inversion->Strength, E.Inversion->Strength);
        }
    }
    // The level the file marks as the surface gives its height.
    TSounding Marked = Make({{1000, M, 15}, {990, 110, 14}, {850, 1500, 3}});
    Marked.Surface = 1;
    EXPECT_EQ(DeriveLevels(Marked).SurfaceHeight, 110.0f);
}

TEST(DerivedLevels, height500hPaInterpolatesInLogPressure)
{
    // ln(600/500) / ln(600/400) of the way from 4200 m to 7200 m.
    EXPECT_NEAR(*Height500hPa(Make({{600, 4200, 0}, {400, 7200, 0}})), 5549.2, 0.5);
    EXPECT_FALSE(Height500hPa(Make({{1000, 0, 0}, {600, 4200, 0}})));
    EXPECT_FALSE(Height500hPa(Make({{M, 6000, 0}, {M, 9000, 0}})));
}

class PerthPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::FakePrompts Prompts;
        platform::FakeSystem System;
        platform::ScopedPlatform Guard{&Prompts, &System, nullptr};
        std::ifstream In(std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html", std::ios::binary);
        std::ostringstream Text;
        Text << In.rdbuf();
        Page = new TLapseRates;
        Page->LoadPage(Text.str());
    }
    static void TearDownTestSuite() { delete Page; }
    static TLapseRates* Page;
};
TLapseRates* PerthPage::Page = nullptr;

// Read off the page: freezing level between the levels that bracket 0 C, the
// first level above 500 hPa passing the 2 C/km test, the first warming layer.
TEST_F(PerthPage, realLaunches)
{
    struct Launch {
        int Index;
        const char* Title;
        float Freezing;
        TTropopause Tropopause;
        TInversion Inversion;
    };
    const Launch Launches[] = {
        // 4029 m 1.2 C, 4302 m -0.7 C; 16402 m -69.7 C; 600 m 12.6 C .. 952 m 22.0 C.
        {0, "94610 2016-01-01 00Z", 4201.4f, {16402, -69.7f, 102}, {600, 952, 9.4f}},
        // 1409 m 0.2 C, 1484 m -0.5 C; 10184 m -49.9 C; 20 m 9.8 C .. 59 m 11.0 C.
        {420, "94610 2016-07-31 12Z", 1430.4f, {10184, -49.9f, 262}, {20, 59, 1.2f}},
        // 6304 m -12.3 C is followed by a thin layer and then a 3.6 km gap
        // through which the air cools by 7 C/km: no tropopause there.
        {264, "94610 2016-05-13 00Z", 4173.3f, {16740, -75.3f, 97.1f}, {28, 330, 6.6f}},
    };
    for (const Launch& L : Launches) {
        const TSounding& S = Page->Soundings[std::size_t(L.Index)];
        ASSERT_EQ(S.Title, L.Title);
        const TDerivedLevels D = DeriveLevels(S);
        EXPECT_NEAR(*D.FreezingLevel, L.Freezing, 0.5) << L.Title;
        EXPECT_FALSE(D.SurfaceBelowFreezing);
        ASSERT_TRUE(D.Tropopause) << L.Title;
        EXPECT_EQ(D.Tropopause->Height, L.Tropopause.Height);
        EXPECT_EQ(D.Tropopause->Temperature, L.Tropopause.Temperature);
        EXPECT_NEAR(*D.Tropopause->Pressure, *L.Tropopause.Pressure, 0.05);
        ASSERT_TRUE(D.Inversion) << L.Title;
        EXPECT_EQ(D.Inversion->Base, L.Inversion.Base);
        EXPECT_EQ(D.Inversion->Top, L.Inversion.Top);
        EXPECT_NEAR(D.Inversion->Strength, L.Inversion.Strength, 1e-4);
    }
    // The last launch ends at 12345 m: too low to confirm a tropopause.
    EXPECT_FALSE(DeriveLevels(Page->Soundings.back()).Tropopause);
}

// Sterling's launches, with heights computed where the station gives none.
TEST(DerivedLevels, sterlingLaunches)
{
    const TSourceResult Read = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/USM00072403-data-beg2016.txt.zip");
    struct Launch {
        const char* Title;
        float Freezing;
        std::optional<TWarmLayer> WarmLayer;
        TTropopause Tropopause;
    };
    const Launch Launches[] = {
        // -13 C at the ground, 0 C at 288 m, up to 2.5 C, 0 C again at 1134 m
        // and below above it: freezing rain, the air freezes at 1134 m.
        {"72403 2016-01-25 12Z", 1134, TWarmLayer{288, 1134, 2.5f}, {11556, -63.8f, 208.2f}},
        // Sub-zero from the ground up: the freezing level is the ground. The
        // station reports its tropopause at 189.07 hPa (not 7307 m, 400 hPa).
        {"72403 2016-02-19 12Z", 88, std::nullopt, {12323, -58.9f, 189.1f}},
        // The station reports 268 hPa, -47.7 C: a level without a height.
        {"72403 2016-11-05 00Z", 2653.2f, std::nullopt, {10130.9f, -47.7f, 268}},
    };
    for (const Launch& L : Launches) {
        const auto S = std::find_if(Read.Soundings.begin(), Read.Soundings.end(),
                                    [&](const TSounding& X) { return X.Title == L.Title; });
        ASSERT_NE(S, Read.Soundings.end()) << L.Title;
        const TDerivedLevels D = DeriveLevels(*S);
        EXPECT_NEAR(*D.FreezingLevel, L.Freezing, 0.1) << L.Title;
        ASSERT_EQ(D.WarmLayer.has_value(), L.WarmLayer.has_value()) << L.Title;
        if (L.WarmLayer) {
            EXPECT_NEAR(D.WarmLayer->Base, L.WarmLayer->Base, 0.1);
            EXPECT_NEAR(D.WarmLayer->Top, L.WarmLayer->Top, 0.1);
            EXPECT_FLOAT_EQ(D.WarmLayer->MaxTemperature, L.WarmLayer->MaxTemperature);
        }
        ASSERT_TRUE(D.Tropopause) << L.Title;
        EXPECT_NEAR(D.Tropopause->Height, L.Tropopause.Height, 0.1) << L.Title;
        EXPECT_FLOAT_EQ(D.Tropopause->Temperature, L.Tropopause.Temperature) << L.Title;
        EXPECT_NEAR(*D.Tropopause->Pressure, *L.Tropopause.Pressure, 0.05) << L.Title;
    }
}

TEST(TimeHeightSection, leavesGapsAndKeepsSoundingsApart)
{
    TSectionSize Size;
    Size.Rows = 11;  // every 1000 m
    Size.HeightMax = 10000;
    Size.MaxGap = 3000;
    const std::vector<TSounding> Soundings = {
        Make({{1000, 500, 10}, {800, 2000, 0}, {500, 6000, -30}, {400, 7000, -40}}),
        TSounding{},  // a launch without levels
        Make({{1000, 0, 20}, {900, 1000, 14}}),
    };
    const TTimeHeightSection S = BuildSection(Soundings, Size);
    ASSERT_EQ(S.Columns, 3);
    EXPECT_TRUE(std::isnan(S.Cell(0, 0)));  // below the lowest level
    EXPECT_NEAR(S.Cell(0, 1), 10 - 10 * 500.0 / 1500, 1e-4);
    EXPECT_FLOAT_EQ(S.Cell(0, 2), 0);
    for (int Row : {3, 4, 5}) EXPECT_TRUE(std::isnan(S.Cell(0, Row))) << Row;  // 4 km between levels
    EXPECT_FLOAT_EQ(S.Cell(0, 6), -30);  // on a level: its own value, whatever lies below
    EXPECT_FLOAT_EQ(S.Cell(0, 7), -40);
    EXPECT_TRUE(std::isnan(S.Cell(0, 8)));  // above the top
    for (int Row = 0; Row < S.Rows; ++Row) EXPECT_TRUE(std::isnan(S.Cell(1, Row))) << Row;
    EXPECT_FLOAT_EQ(S.Cell(2, 1), 14);
    EXPECT_TRUE(std::isnan(S.Cell(2, 2)));
    EXPECT_NEAR(S.FreezingLevel[0], 2000, 1e-3);
    EXPECT_TRUE(std::isnan(S.FreezingLevel[1]));
    EXPECT_TRUE(std::isnan(S.FreezingLevel[2]));

    EXPECT_EQ(S.Readout(0, 6000), ", 6000 m, -30.0 C");
    EXPECT_EQ(S.Readout(1, 6000), ", 6000 m, no data");
    EXPECT_EQ(S.Readout(3, 6000), "");
    EXPECT_EQ(S.Readout(0, 10001), "");
}

TEST(TimeHeightSection, binsMoreSoundingsThanColumns)
{
    std::vector<TSounding> Soundings;
    for (int I = 0; I < 10; ++I) {
        Soundings.push_back(Make({{1000, 0, float(I)}, {900, 1000, float(I) - 10}}));
        Soundings.back().Title = "S " + std::to_string(I);
    }
    TSectionSize Size;
    Size.MaxColumns = 4;
    Size.Rows = 2;
    Size.HeightMax = 1000;
    const TTimeHeightSection S = BuildSection(Soundings, Size);
    ASSERT_EQ(S.Columns, 4);
    EXPECT_EQ(S.FirstSounding, (std::vector<int>{0, 2, 5, 7, 10}));
    EXPECT_EQ(S.ColumnOf(4), 1);
    EXPECT_EQ(S.ColumnOf(5), 2);
    EXPECT_EQ(S.ColumnOf(10), -1);
    EXPECT_EQ(S.Titles[2], "S 5");
    EXPECT_FLOAT_EQ(S.Cell(1, 0), 3);   // mean of 2, 3, 4
    EXPECT_FLOAT_EQ(S.Cell(3, 1), -2);  // mean of -3, -2, -1
    EXPECT_EQ(BuildSection({}, Size).Columns, 0);
}

// Titles with launch times put the columns on the clock: one per usual
// interval, an empty column where a launch is missing.
TEST(TimeHeightSection, missingLaunchLeavesAnEmptyColumn)
{
    std::vector<TSounding> Soundings;
    for (const auto& [Date, Hour] : std::vector<std::pair<const char*, int>>{
             {"2016-02-28", 12}, {"2016-02-29", 0}, {"2016-02-29", 12}, {"2016-03-01", 12}, {"2016-03-01", 18}}) {
        Soundings.push_back(Make({{1000, 0, 10}, {900, 1000, 4}}));
        Launch(Soundings.back(), "94610", Date, Hour);
    }
    TSectionSize Size;
    Size.Rows = 2;
    Size.HeightMax = 1000;
    const TTimeHeightSection S = BuildSection(Soundings, Size);
    ASSERT_EQ(S.Columns, 5);  // 12-hour steps from 02-28 12Z to 03-01 12Z
    EXPECT_EQ(S.FirstSounding, (std::vector<int>{0, 1, 2, 3, 3, 5}));
    EXPECT_EQ(S.SoundingOf(3), -1);
    EXPECT_EQ(S.SoundingOf(4), 3);
    EXPECT_EQ(S.ColumnOf(4), 4);  // 18Z shares the 12Z column
    EXPECT_EQ(S.Titles[3], "2016-03-01 00Z");
    EXPECT_TRUE(std::isnan(S.Cell(3, 0)));
    EXPECT_TRUE(std::isnan(S.FreezingLevel[3]));
    EXPECT_FLOAT_EQ(S.Cell(4, 1), 4);
    EXPECT_EQ(S.Readout(3, 0), "2016-03-01 00Z, 0 m, no data");

    // A title without a time, or times going back, fall back to one column
    // per sounding.
    Launch(Soundings[4], "94610", "2016-03-01", 6);
    EXPECT_EQ(BuildSection(Soundings, Size).FirstSounding, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    Soundings[4].Title = "launch";
    Soundings[4].Launch = {};
    EXPECT_EQ(BuildSection(Soundings, Size).Columns, 5);
    EXPECT_EQ(BuildSection(Soundings, Size).SoundingOf(3), 3);
}

// Levels take part at their drawn height (a level with only a computed one
// too); a frozen surface is the freezing level; the ground and the clock of
// the columns are kept; the heading names the station and the period.
TEST(TimeHeightSection, drawnHeightsGroundAndHeading)
{
    struct Case {
        const char* Name;
        std::vector<Level> Levels;
        float AltitudeOfSecond;  // M: none beyond the reported height
        float Surface, Freezing, CellAt1000;
    };
    const Case Cases[] = {
        {"reported", {{1000, 0, 10}, {900, 1000, 6}, {800, 2000, -2}}, M, 0, 1750, 6},
        {"computed", {{1000, 0, 10}, {900, M, 6}, {800, 2000, -2}}, 1000, 0, 1750, 6},
        {"frozen ground", {{850, 1500, -3}, {800, 2000, -6}}, M, 1500, 1500, std::nanf("")},
    };
    for (const Case& C : Cases) {
        std::vector<TSounding> Soundings(2, Make(C.Levels));
        if (C.AltitudeOfSecond != M)
            Soundings[0].Levels[1].Altitude = Soundings[1].Levels[1].Altitude = C.AltitudeOfSecond;
        Launch(Soundings[0], "72403", "2016-02-28", 12);
        Launch(Soundings[1], "72403", "2016-02-29", 0);
        TSectionSize Size;
        Size.Rows = 3;
        Size.HeightMax = 2000;
        const TTimeHeightSection S = BuildSection(Soundings, Size);
        ASSERT_EQ(S.Columns, 2) << C.Name;
        EXPECT_FLOAT_EQ(S.SurfaceHeight[1], C.Surface) << C.Name;
        EXPECT_NEAR(S.FreezingLevel[1], C.Freezing, 0.1) << C.Name;
        if (std::isnan(C.CellAt1000))
            EXPECT_TRUE(std::isnan(S.Cell(1, 1))) << C.Name;
        else
            EXPECT_FLOAT_EQ(S.Cell(1, 1), C.CellAt1000) << C.Name;
        EXPECT_EQ(S.FirstHour, *sounding::LaunchHour(Soundings[0].Launch)) << C.Name;
        EXPECT_DOUBLE_EQ(S.HoursPerColumn, 12) << C.Name;
        EXPECT_EQ(SectionHeading(S, "x.html"), "Station 72403, 2016-02-28 to 2016-02-29") << C.Name;
    }
    std::vector<TSounding> Untimed(1, Make(Cases[0].Levels));
    Untimed[0].Title = "S0";
    EXPECT_EQ(SectionHeading(BuildSection(Untimed, TSectionSize()), "x.html"), "x.html");
}

TEST(TimeHeightSection, launchHoursReadAndWriteDates)
{
    const auto Hour = [](const char* Date, int H) {
        return sounding::LaunchHour(sounding::LaunchKey("x", *sounding::DateOfText(Date), H));
    };
    EXPECT_EQ(Hour("1970-01-01", 0), 0);
    EXPECT_EQ(*Hour("2016-03-01", 0) - *Hour("2016-02-28", 12), 36);
    EXPECT_EQ(*Hour("2001-01-01", 0) - *Hour("2000-01-01", 0), 366 * 24);
    EXPECT_FALSE(Hour("2016-01-01", 24));
    EXPECT_FALSE(sounding::LaunchHour(sounding::TLaunchKey()));
    for (const auto& [Date, H, Text] :
         std::vector<std::tuple<const char*, int, const char*>>{{"1900-03-01", 6, "1900-03-01 06Z"},
                                                                {"2016-02-29", 12, "2016-02-29 12Z"},
                                                                {"2015-12-31", 23, "2015-12-31 23Z"},
                                                                {"1969-12-31", 18, "1969-12-31 18Z"}})
        EXPECT_EQ(sounding::HourText(*Hour(Date, H)), Text);
}

}  // namespace
