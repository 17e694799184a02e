// The two station pages that ship with the program, read end to end. The
// expected values were read off the pages by hand.

#include "support/TestFiles.h"
#include "sounding/LapseRates.h"

#include "RecordingSeries.h"
#include "components/jtSysUtils.h"
#include "platform/Fakes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadPage(const std::string& Name) { return testfiles::Slurp(std::string(PROFILORA_DATA_DIR) + "/" + Name); }

struct LevelValues {
    float Pressure, Height, Temperature, DewPointDiff, WindDirection, WindSpeed;
};

void ExpectLevel(const TSoundingLevel& L, const LevelValues& E)
{
    EXPECT_EQ(L.Pressure, E.Pressure);
    EXPECT_EQ(L.Height, E.Height);
    EXPECT_EQ(L.Temperature, E.Temperature);
    EXPECT_EQ(L.DewPointDiff, E.DewPointDiff);
    EXPECT_EQ(L.WindDirection, E.WindDirection);
    EXPECT_EQ(L.WindSpeed, E.WindSpeed);
}

std::size_t TotalLevels(const TLapseRates& Set)
{
    std::size_t n = 0;
    for (const TSounding& s : Set.Soundings) n += s.Levels.size();
    return n;
}

class RealPage : public ::testing::Test {
protected:
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    platform::ScopedPlatform guard{&prompts, &system, nullptr};
    TLapseRates set;
};

TEST_F(RealPage, perth2016)
{
    const std::string page = ReadPage("Perth 2016.html");
    ASSERT_FALSE(page.empty());
    int calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    set.LoadPage(page);
    EXPECT_TRUE(prompts.Boxes.empty());
    ASSERT_EQ(set.Count(), 726);
    EXPECT_EQ(calls, 726);
    EXPECT_EQ(TotalLevels(set), 73056u);

    const TSounding& first = set.Soundings.front();
    EXPECT_EQ(first.Title, "94610 2016-01-01 00Z");
    ASSERT_EQ(first.Levels.size(), 123u);
    ExpectLevel(first.Levels[0], {1015.0f, 20, 19.2f, 10.0f, 90, 9.26f});
    // The top level has no dew point difference nor wind.
    ExpectLevel(first.Levels.back(), {8.8f, 32078, -38.3f, MissingValue, MissingValue, MissingValue});

    EXPECT_EQ(set.Soundings[100].Title, "94610 2016-02-20 00Z");
    EXPECT_EQ(set.Soundings[100].Levels.size(), 135u);

    const TSounding& last = set.Soundings.back();
    EXPECT_EQ(last.Title, "94610 2016-12-31 12Z");
    ASSERT_EQ(last.Levels.size(), 70u);
    ExpectLevel(last.Levels.back(), {198.0f, 12345, -52.3f, 28.0f, MissingValue, MissingValue});
}

TEST_F(RealPage, chihuahua2015)
{
    set.LoadPage(ReadPage("Chihuahua 2015.html"));
    EXPECT_TRUE(prompts.Boxes.empty());
    ASSERT_EQ(set.Count(), 373);
    EXPECT_EQ(TotalLevels(set), 40299u);

    // Each launch starts with a 1000 hPa row below the station, with a
    // height but no temperature: the row is dropped, so the first stored
    // level is the surface at 856 hPa with its own height, and the surface
    // fix leaves it where it is.
    const TSounding& first = set.Soundings.front();
    EXPECT_EQ(first.Title, "76225 2015-01-01 12Z");
    ASSERT_EQ(first.Levels.size(), 96u);
    ExpectLevel(first.Levels[0], {856.0f, 1372, 14.6f, 12.0f, 240, 10.29f});
    ExpectLevel(first.Levels[1], {850.0f, 1434, 14.2f, 12.0f, 230, 14.92f});
    ExpectLevel(first.Levels.back(), {30.9f, 23449, -61.5f, 29.0f, MissingValue, MissingValue});

    ExpectLevel(set.Soundings[100].Levels[0], {858.0f, 1372, 12.4f, 18.0f, 280, 1.03f});
    ExpectLevel(set.Soundings.back().Levels[0], {862.0f, 1372, 5.0f, 10.0f, 0, 0.51f});
    for (const TSounding& s : set.Soundings) {
        ASSERT_FALSE(s.Levels.empty()) << s.Title;
        EXPECT_NE(s.Levels[0].Pressure, 1000.0f) << s.Title;
    }
}

TEST_F(RealPage, chihuahuaPlaysAsFrames)
{
    set.LoadPage(ReadPage("Chihuahua 2015.html"));
    RecordingSeries series;
    set.PlotFrame(0, series);
    EXPECT_EQ(set.CurrentTitle(), "76225 2015-01-01 12Z");
    ASSERT_EQ(series.Points.size(), 96u);
    EXPECT_EQ(series.Points[0], std::make_pair(double(14.6f), 1372.0));
    EXPECT_EQ(set.PlotPrev(series), 372);
    EXPECT_EQ(set.CurrentTitle(), "76225 2015-12-31 12Z");
}

// A page is data: with "," as the user's decimal separator it reads the
// same, every level with its "." decimals.
TEST_F(RealPage, commaSeparatorReadsThePageAlike)
{
    const std::string page = ReadPage("Chihuahua 2015.html");
    set.LoadPage(page);
    TLapseRates withComma;
    system.Separator = ',';
    withComma.LoadPage(page);
    ASSERT_EQ(withComma.Count(), 373);
    for (int i = 0; i < withComma.Count(); ++i) {
        const std::vector<TSoundingLevel>& a = set.Soundings[size_t(i)].Levels;
        const std::vector<TSoundingLevel>& b = withComma.Soundings[size_t(i)].Levels;
        ASSERT_EQ(a.size(), b.size()) << i;
        for (size_t k = 0; k < a.size(); ++k) {
            EXPECT_EQ(a[k].Pressure, b[k].Pressure);
            EXPECT_EQ(a[k].Temperature, b[k].Temperature);
        }
    }
}

}  // namespace
