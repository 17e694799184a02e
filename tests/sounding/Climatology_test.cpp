// The station climatology: launch groups, days of the year and their
// window, each launch's profile at the fixed heights, the percentiles, the
// ranks and the file form.
#include "analysis/Climatology.h"
#include "analysis/ClimatologyCache.h"

#include "IgraRecord.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

using sounding::TClimatology;
using sounding::TProfileQuantity;

TSoundingLevel Level(float Pressure, float Height, float Temperature, float DewPointDiff = MissingValue)
{
    TSoundingLevel l;
    l.Pressure = Pressure;
    l.Height = Height;
    l.Temperature = Temperature;
    l.DewPointDiff = DewPointDiff;
    return l;
}

// A launch with a surface at 0 m of temperature T0 and a level at 3000 m 30 C colder.
TSounding Launch(int Year, int Month, int Day, int Hour, float T0, std::int16_t Release = -1)
{
    TSounding s;
    s.Launch.Year = std::uint16_t(Year);
    s.Launch.Month = std::uint8_t(Month);
    s.Launch.Day = std::uint8_t(Day);
    s.Launch.Hour = std::uint8_t(Hour);
    s.Launch.Release = Release;
    s.Levels = {Level(1000, 0, T0, 2), Level(700, 3000, T0 - 30, 4)};
    s.Surface = 0;
    return s;
}

std::vector<float> Profile(const TSounding& S, TProfileQuantity Q = TProfileQuantity::Temperature)
{
    std::vector<float> out(sounding::kClimateHeights);
    sounding::ProfileValues(S, Q, out.data());
    return out;
}

TEST(Climatology, daysOfTheYearAndTheirDistance)
{
    struct {
        int Month, Day, Expected;
    } const days[] = {{1, 1, 1},     {2, 28, 59}, {2, 29, 59}, {3, 1, 60},
                      {12, 31, 365}, {2, 30, 0},  {13, 1, 0},  {0, 5, 0}};
    for (const auto& d : days) EXPECT_EQ(sounding::ClimateDay(d.Month, d.Day), d.Expected) << d.Month << "-" << d.Day;
    EXPECT_EQ(sounding::ClimateDayDistance(1, 365), 1);
    EXPECT_EQ(sounding::ClimateDayDistance(360, 5), 10);
    EXPECT_EQ(sounding::ClimateDayDistance(1, 183), 182);
}

TEST(Climatology, groupsByNominalHourElseByReleaseTime)
{
    struct {
        int Hour, Release, Group;
    } const cases[] = {{0, -1, 0},     {5, -1, 0},    {6, -1, 12},  {17, -1, 12}, {18, -1, 0},   {23, 1130, 0},
                       {99, 1130, 12}, {99, 2330, 0}, {99, 545, 0}, {99, -1, -1}, {99, 9930, -1}};
    for (const auto& c : cases) {
        sounding::TLaunchKey key;
        key.Year = 2000, key.Month = 1, key.Day = 1;
        key.Hour = std::uint8_t(c.Hour);
        key.Release = std::int16_t(c.Release);
        EXPECT_EQ(sounding::LaunchGroup(key), c.Group) << c.Hour << " " << c.Release;
    }
}

TEST(Climatology, percentilesAtPositionNMinusOneTimesP)
{
    const float four[] = {1, 2, 3, 4};
    EXPECT_NEAR(sounding::Percentile(four, 4, 0.10), 1.3, 1e-9);
    EXPECT_NEAR(sounding::Percentile(four, 4, 0.25), 1.75, 1e-9);
    EXPECT_NEAR(sounding::Percentile(four, 4, 0.50), 2.5, 1e-9);
    EXPECT_NEAR(sounding::Percentile(four, 4, 0.90), 3.7, 1e-9);
    const float one[] = {7};
    EXPECT_EQ(sounding::Percentile(one, 1, 0.9), 7);
}

TEST(Climatology, profileInterpolatedInHeightWithinGapsOfThreeKilometres)
{
    TSounding s;
    s.Levels = {Level(1000, 100, 20, 5), Level(950, 600, 15, 5),
                // Two levels at 1000 m: the one of higher pressure counts.
                Level(890, 1000, 11, 1), Level(900, 1000, 12, 1), Level(700, 4000, -6), Level(500, 7001, -30)};
    s.Surface = 0;
    const std::vector<float> t = Profile(s);
    EXPECT_TRUE(std::isnan(t[0]));             // below the lowest level
    EXPECT_FLOAT_EQ(t[1], 18.5f);              // 250 m
    EXPECT_FLOAT_EQ(t[2], 16.0f);              // 500 m
    EXPECT_FLOAT_EQ(t[4], 12.0f);              // 1000 m
    EXPECT_FLOAT_EQ(t[8], 12.0f - 18 / 3.0f);  // 2000 m: a gap of exactly 3000 m
    EXPECT_FLOAT_EQ(t[16], -6.0f);             // 4000 m
    EXPECT_TRUE(std::isnan(t[17]));            // 4250 m: more than 3000 m to the next level
    EXPECT_TRUE(std::isnan(t[30]));            // above the highest level
    const std::vector<float> td = Profile(s, TProfileQuantity::DewPoint);
    EXPECT_FLOAT_EQ(td[2], 11.0f);
    EXPECT_FLOAT_EQ(td[4], 11.0f);
    EXPECT_TRUE(std::isnan(td[16]));  // no dew point aloft: the last one is at 1000 m
    // Nothing below the surface the file marks.
    s.Surface = 1;
    EXPECT_TRUE(std::isnan(Profile(s)[1]));
    EXPECT_FLOAT_EQ(Profile(s)[4], 12.0f);
}

TEST(Climatology, dayWindowSpansTheYearsEndAndFebruary29)
{
    std::vector<TSounding> record;
    for (int year = 1990; year < 2010; ++year) {
        record.push_back(Launch(year, 12, 17, 0, float(year - 1990)));  // day 351: 15 days before day 1
        record.push_back(Launch(year, 12, 16, 0, 100));                 // day 350: outside
    }
    for (int year = 1992; year <= 2068; year += 4) record.push_back(Launch(year, 2, 29, 12, 1));
    const TClimatology c = sounding::BuildClimatology(record);
    EXPECT_EQ(c.Launches(), 60);
    EXPECT_EQ(c.FirstYear(), 1990);
    EXPECT_EQ(c.LastYear(), 2068);
    const sounding::TClimateCell day1 = c.Profile(0, TProfileQuantity::Temperature, 1, 0);
    EXPECT_EQ(day1.Count, 20);
    EXPECT_FLOAT_EQ(day1.Median(), 9.5f);
    EXPECT_EQ(c.Profile(0, TProfileQuantity::Temperature, 2, 0).Count, 0);
    EXPECT_EQ(c.Profile(0, TProfileQuantity::Temperature, 336, 0).Count, 40);
    // Feb 29 is day 59: within the window of day 74, not of day 75.
    EXPECT_EQ(c.Profile(12, TProfileQuantity::Temperature, 74, 0).Count, 20);
    EXPECT_EQ(c.Profile(12, TProfileQuantity::Temperature, 75, 0).Count, 0);
    EXPECT_EQ(c.Profile(12, TProfileQuantity::Temperature, 44, 4).Count, 20);
}

TEST(Climatology, percentilesOnlyFromTwentyValues)
{
    for (const int n : {19, 20}) {
        std::vector<TSounding> record;
        for (int k = 1; k <= n; ++k) record.push_back(Launch(1980 + k, 7, 1, 12, float(k)));
        record.push_back(Launch(1980, 7, 1, 99, 50));  // no nominal hour nor release time: left out
        const TClimatology c = sounding::BuildClimatology(record, 1);
        EXPECT_EQ(c.Launches(), n);
        const sounding::TClimateCell cell = c.Profile(12, TProfileQuantity::Temperature, 182, 0);
        EXPECT_EQ(cell.Count, n);
        EXPECT_EQ(cell.Valid(), n >= 20);
        const int surface = sounding::ClimateColumnOf("surface_height");
        ASSERT_GE(surface, 0);
        EXPECT_EQ(c.Column(12, surface, 182).Count, n);
        if (n < 20) {
            EXPECT_TRUE(std::isnan(cell.P10()));
            EXPECT_FALSE(c.Rank(12, surface, 182, 0));
            continue;
        }
        EXPECT_FLOAT_EQ(cell.P10(), 2.9f);
        EXPECT_FLOAT_EQ(cell.P25(), 5.75f);
        EXPECT_FLOAT_EQ(cell.Median(), 10.5f);
        EXPECT_FLOAT_EQ(cell.P75(), 15.25f);
        EXPECT_FLOAT_EQ(cell.P90(), 18.1f);
        // 3250 m: above the highest level.
        EXPECT_EQ(c.Profile(12, TProfileQuantity::Temperature, 182, 13).Count, 0);
        // Every surface lies at 0 m: all equal.
        EXPECT_DOUBLE_EQ(*c.Rank(12, surface, 182, 0), 50);
        EXPECT_DOUBLE_EQ(*c.Rank(12, surface, 182, -1), 0);
        EXPECT_DOUBLE_EQ(*c.Rank(12, surface, 182, 1), 100);
        EXPECT_FALSE(c.Rank(0, surface, 182, 0));
    }
}

TEST(Climatology, ranksCountBelowAndHalfTheEqual)
{
    std::vector<TSounding> record;
    for (int k = 1; k <= 20; ++k) record.push_back(Launch(1980 + k, 7, 1 + k % 10, 0, float(k)));
    const TClimatology c = sounding::BuildClimatology(record);
    const int freezing = sounding::ClimateColumnOf("freezing_level");
    ASSERT_GE(freezing, 0);
    // Launch k freezes at k * 100 m.
    const std::optional<double> rank = c.Rank(0, freezing, 185, 1000);
    ASSERT_TRUE(rank);
    EXPECT_NEAR(*rank, 100 * 9.5 / 20, 1e-9);
    EXPECT_NEAR(c.TemperatureAt(0, 185, 125).Median(), 10.5 - 1.25, 1e-5);
}

TEST(Climatology, fileFormKeepsEveryCellAndRefusesDamage)
{
    std::vector<TSounding> record;
    for (int k = 1; k <= 25; ++k) record.push_back(Launch(1980 + k, 3, 1, 12, float(k)));
    const TClimatology c = sounding::BuildClimatology(record);
    const std::string bytes = c.Serialize();
    const std::optional<TClimatology> back = TClimatology::Deserialize(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Launches(), 25);
    EXPECT_EQ(back->Years(), 25);
    EXPECT_EQ(back->Serialize(), bytes);
    EXPECT_FLOAT_EQ(back->Profile(12, TProfileQuantity::DewPoint, 60, 0).Median(), 11.0f);
    EXPECT_FALSE(TClimatology::Deserialize(bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(TClimatology::Deserialize("PRFCLIM1"));
}

}  // namespace

namespace {

// A station record of 21 years in a folder of its own.
class KeptClimatology : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ =
            std::filesystem::temp_directory_path() / ("profilora-climate-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        Record = (dir_ / "USM00072403-data.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void Write(int Years)
    {
        std::string text;
        for (int year = 1990; year < 1990 + Years; ++year) text += igra_record::ThreeLevels(year, 3, 1, 0, 2305, 100);
        std::ofstream(Record, std::ios::binary) << text;
    }

    std::filesystem::path dir_;
    std::string Record;
};

TEST_F(KeptClimatology, keptBesideTheRecordUntilItChanges)
{
    Write(21);
    const sounding::TStationClimatology made = sounding::StationClimatology(Record);
    ASSERT_TRUE(made.Climatology) << made.Message;
    EXPECT_FALSE(made.FromCache);
    EXPECT_EQ(made.Message, "");
    EXPECT_TRUE(std::filesystem::exists(sounding::ClimatologyCachePath(Record)));
    const sounding::TStationClimatology kept = sounding::StationClimatology(Record);
    ASSERT_TRUE(kept.Climatology);
    EXPECT_TRUE(kept.FromCache);
    EXPECT_EQ(kept.Climatology->Serialize(), made.Climatology->Serialize());

    // Another record: a year more.
    Write(22);
    const sounding::TStationClimatology grown = sounding::StationClimatology(Record);
    ASSERT_TRUE(grown.Climatology);
    EXPECT_FALSE(grown.FromCache);
    EXPECT_EQ(grown.Climatology->Launches(), 22);
    // The same size, rewritten later.
    std::filesystem::last_write_time(Record, std::filesystem::last_write_time(Record) + std::chrono::seconds(5));
    EXPECT_FALSE(sounding::StationClimatology(Record).FromCache);
    EXPECT_TRUE(sounding::StationClimatology(Record).FromCache);
    // A damaged kept file is made again.
    std::ofstream(sounding::ClimatologyCachePath(Record), std::ios::binary) << "PRFCLKEY";
    const sounding::TStationClimatology again = sounding::StationClimatology(Record);
    ASSERT_TRUE(again.Climatology);
    EXPECT_FALSE(again.FromCache);
    EXPECT_EQ(again.Climatology->Launches(), 22);

    std::filesystem::remove(Record);
    EXPECT_FALSE(sounding::StationClimatology(Record).Climatology);
}

}  // namespace
