// The station-file readers against the real files in data/, the merge and
// the date filter, and bad input. Expected levels were read off the files by
// hand.

#include "support/PageBuilder.h"
#include "support/TestFiles.h"
#include "support/ZipFiles.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSources.h"
#include "analysis/TimeHeightSection.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kData = PROFILORA_DATA_DIR;

using testfiles::Slurp;

struct LevelValues {
    float Pressure, Height, Temperature, DewPointDiff, WindDirection, WindSpeed;
};

void ExpectLevel(const TSoundingLevel& L, const LevelValues& E)
{
    EXPECT_FLOAT_EQ(L.Pressure, E.Pressure);
    EXPECT_FLOAT_EQ(L.Height, E.Height);
    EXPECT_FLOAT_EQ(L.Temperature, E.Temperature);
    EXPECT_NEAR(L.DewPointDiff, E.DewPointDiff, 1e-4);
    EXPECT_FLOAT_EQ(L.WindDirection, E.WindDirection);
    EXPECT_NEAR(L.WindSpeed, E.WindSpeed, 1e-4);
}

std::string Gzip(const std::string& Data) { return testzip::Deflate(Data, 31); }

using testzip::Put;
using testzip::Zip;

// Two IGRA launches; the first header announces 3 levels and has 3, the
// third level without a temperature.
const std::string kIgra =
    "#USM00072403 2016 01 01 00 2302    3 ncdc-nws ncdc-nws  389767  -774864\n"
    "21     0 100982B   88    94B  627    67   340    10 \n"
    "10    15 100000   169B   87B  514    95   323    34 \n"
    "30   100  -9999   392 -9999 -9999 -9999   316    76 \n"
    "#USM00072403 2016 01 01 12 1105    2 ncdc-nws ncdc-nws  389767  -774864\n"
    "21     0 100986B   88    44B  640 -8888     0     0 \n"
    "20     1 100937A   92B   45B  558    80   306     2 \n";

// A sounding launched at Station, Date ("YYYY-MM-DD") and Hour, titled as
// the readers title one.
TSounding Launched(const char* Station, const char* Date, int Hour)
{
    TSounding s;
    s.Launch = sounding::LaunchKey(Station, *sounding::DateOfText(Date), Hour);
    s.Title = sounding::LaunchTitle(Station, s.Launch);
    return s;
}

}  // namespace

TEST(IgraReader, realStationFile_levelsUnitsAndTitles)
{
    const TSourceResult r = ReadSoundingFile(kData + "/USM00072403-data-beg2016.txt.zip");
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Format, TSourceFormat::Igra);
    EXPECT_TRUE(r.Compressed);
    ASSERT_EQ(r.Soundings.size(), 662u);
    const TSounding& first = r.Soundings.front();
    EXPECT_EQ(first.Title, "72403 2016-01-01 00Z");
    EXPECT_EQ(r.Soundings[1].Title, "72403 2016-01-01 12Z");
    EXPECT_EQ(r.Soundings.back().Title, "72403 2016-11-17 12Z");
    ExpectLevel(first.Levels[0], {1009.82f, 88, 9.4f, 6.7f, 340, 1.0f});
    ExpectLevel(first.Levels[3], {1000, 169, 8.7f, 9.5f, 323, 3.4f});
    // "20 10205    833 31803B -493A   10   341 -9999 -9999": winds missing.
    bool seen = false;
    for (const TSoundingLevel& l : first.Levels) {
        if (l.Pressure != 8.33f) continue;
        ExpectLevel(l, {8.33f, 31803, -49.3f, 34.1f, MissingValue, MissingValue});
        seen = true;
    }
    EXPECT_TRUE(seen);
    // The wind-only lines (type 30, no temperature) are no levels.
    for (const TSoundingLevel& l : first.Levels) EXPECT_NE(l.Temperature, MissingValue);
}

TEST(WyomingReader, realMonth_levelsUnitsAndTitles)
{
    const TSourceResult r = ReadSoundingFile(kData + "/wyoming_94610_2016_01.html");
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Format, TSourceFormat::Wyoming);
    ASSERT_EQ(r.Soundings.size(), 62u);
    const TSounding& first = r.Soundings.front();
    EXPECT_EQ(first.Title, "94610 2016-01-01 00Z");
    EXPECT_EQ(r.Soundings[1].Title, "94610 2016-01-01 12Z");
    ExpectLevel(first.Levels[0], {1015, 20, 19.2f, 10.0f, 90, 18 * 0.514444f});
    // "  154.0  13897  -63.2                         270    101": no dew point.
    bool seen = false;
    for (const TSoundingLevel& l : first.Levels) {
        if (l.Pressure != 154.0f) continue;
        ExpectLevel(l, {154, 13897, -63.2f, MissingValue, 270, 101 * 0.514444f});
        seen = true;
    }
    EXPECT_TRUE(seen);
}

// The twelve months of Perth 2016 are the launches of the station page of
// that year: the same titles and levels, the same numbers bit for bit but
// winds, which the page rounds to cents (within 0.01 m/s).
TEST(Sources, twelveWyomingMonths_equalTheStationPage)
{
    std::vector<std::vector<TSounding>> months;
    for (int m = 1; m <= 12; ++m) {
        const std::string name = kData + "/wyoming_94610_2016_" + (m < 10 ? "0" : "") + std::to_string(m) + ".html";
        TSourceResult r = ReadSoundingFile(name);
        ASSERT_TRUE(r.Ok()) << name << ": " << r.Error;
        months.push_back(std::move(r.Soundings));
    }
    const std::vector<TSounding> year = MergeSoundings(std::move(months));
    const TSourceResult page = ReadSoundingFile(kData + "/Perth 2016.html");
    ASSERT_TRUE(page.Ok()) << page.Error;
    EXPECT_EQ(page.Format, TSourceFormat::Page);
    ASSERT_EQ(year.size(), page.Soundings.size());
    for (std::size_t i = 0; i < year.size(); ++i) {
        const TSounding& w = year[i];
        const TSounding& p = page.Soundings[i];
        ASSERT_EQ(w.Title, p.Title);
        ASSERT_EQ(w.Levels.size(), p.Levels.size()) << w.Title;
        for (std::size_t k = 0; k < w.Levels.size(); ++k) {
            const TSoundingLevel &a = w.Levels[k], &b = p.Levels[k];
            ASSERT_EQ(a.Pressure, b.Pressure) << w.Title << " level " << k;
            ASSERT_EQ(a.Height, b.Height) << w.Title << " level " << k;
            ASSERT_EQ(a.Temperature, b.Temperature) << w.Title << " level " << k;
            ASSERT_EQ(a.DewPointDiff, b.DewPointDiff) << w.Title << " level " << k;
            ASSERT_EQ(a.WindDirection, b.WindDirection) << w.Title << " level " << k;
            ASSERT_NEAR(a.WindSpeed, b.WindSpeed, 0.01) << w.Title << " level " << k;
        }
    }
}

TEST(Sources, merge_ordersByLaunchTimeAndKeepsEachLaunchOnce)
{
    auto set = [](std::vector<TSounding> Soundings) {
        for (std::size_t i = 0; i < Soundings.size(); ++i) Soundings[i].AddLevel(float(i + 1), 0, 0, 0, 0, 0);
        return Soundings;
    };
    TSounding timeless;
    timeless.Title = "no time here";
    std::vector<std::vector<TSounding>> sets;
    sets.push_back(set({Launched("94610", "2016-02-01", 0), timeless, Launched("94610", "2016-01-31", 12)}));
    sets.push_back(set({Launched("94610", "2016-01-31", 12), Launched("72403", "2016-01-31", 12),
                        Launched("94610", "2016-01-01", 99), Launched("94610", "2015-12-31", 23)}));
    const std::vector<TSounding> merged = MergeSoundings(std::move(sets));
    std::vector<std::string> titles;
    for (const auto& s : merged) titles.push_back(s.Title);
    EXPECT_EQ(titles, (std::vector<std::string>{"94610 2015-12-31 23Z", "94610 2016-01-01 99Z", "94610 2016-01-31 12Z",
                                                "72403 2016-01-31 12Z", "94610 2016-02-01 00Z", "no time here"}));
    // The duplicate kept is the first file's.
    EXPECT_EQ(merged[2].Levels[0].Pressure, 3.0f);

    struct Case {
        const char *From, *To;
        std::size_t Kept;
    };
    for (const Case& c : {Case{"", "", 6}, Case{"2016-01-01", "2016-01-31", 3}, Case{"2016-02-01", "", 1},
                          Case{"", "2015-12-31", 1}, Case{"2017-01-01", "", 0}}) {
        EXPECT_EQ(FilterByDate(merged, c.From, c.To).size(), c.Kept) << c.From << ".." << c.To;
    }
    EXPECT_FALSE(sounding::IsDateText("2016-1-01"));
    for (const char* date : {"2016-02-30", "2016-04-31", "2015-02-29", "1900-02-29", "2016-12-32", "0000-01-01"})
        EXPECT_FALSE(sounding::IsDateText(date)) << date;
    for (const char* date : {"2016-02-29", "2000-02-29", "2016-04-30"}) EXPECT_TRUE(sounding::IsDateText(date)) << date;
}

// A launch is its full station id, date, nominal hour and release time:
// stations whose ids end alike stay apart, launches of one day without a
// nominal hour stay apart by their release times, and a WMO number meets the
// IGRA id that carries it.
TEST(Sources, merge_keysLaunchesByFullIdHourAndReleaseTime)
{
    auto launch = [](const char* Id, int Hour, int Release, const char* Title) {
        TSounding s;
        s.Title = Title;
        std::string(Id).copy(s.Launch.Station.data(), 11);
        s.Launch.Year = 2016, s.Launch.Month = 1, s.Launch.Day = 1;
        s.Launch.Hour = std::uint8_t(Hour);
        s.Launch.Release = std::int16_t(Release);
        s.AddLevel(1000, 0, 0, 0, 0, 0);
        return s;
    };
    struct Case {
        const char* Name;
        std::vector<TSounding> First, Second;
        std::size_t Kept;
    };
    const Case cases[] = {
        {"ids ending alike",
         {launch("USM00072403", 0, -1, "72403 2016-01-01 00Z")},
         {launch("USW00072403", 0, -1, "72403 2016-01-01 00Z")},
         2},
        {"99Z launches of one day",
         {launch("USM00072403", 99, 530, "72403 2016-01-01 99Z")},
         {launch("USM00072403", 99, 1730, "72403 2016-01-01 99Z")},
         2},
        {"the same launch twice",
         {launch("USM00072403", 99, 530, "72403 2016-01-01 99Z")},
         {launch("USM00072403", 99, 530, "72403 2016-01-01 99Z")},
         1},
        {"a Wyoming page and the IGRA file",
         {launch("ASM00094610", 0, 2315, "94610 2016-01-01 00Z")},
         {Launched("94610", "2016-01-01", 0)},
         1},
        {"pages without a station", {Launched("", "2016-01-01", 0)}, {Launched("", "2016-01-01", 0)}, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<TSounding>> sets{c.First, c.Second};
        EXPECT_EQ(MergeSoundings(std::move(sets)).size(), c.Kept) << c.Name;
    }
}

TEST(Sources, announcedLevelCountAndLineEnds_doNotChangeTheLevels)
{
    std::string fewer = kIgra, crlf;
    fewer.replace(fewer.find("   3 ncdc"), 4, "   1");
    std::string more = kIgra;
    more.replace(more.find("   3 ncdc"), 4, "  40");
    for (char c : kIgra) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text :
         {kIgra, fewer, more, crlf, Gzip(kIgra), Gzip(kIgra.substr(0, 200)) + Gzip(kIgra.substr(200)),
          Zip({{"station.txt", crlf}})}) {
        const TSourceResult r = ReadSoundingSource(text);
        ASSERT_TRUE(r.Ok()) << r.Error;
        ASSERT_EQ(r.Soundings.size(), 2u);
        EXPECT_EQ(r.Soundings[0].Levels.size(), 2u);
        EXPECT_EQ(r.Soundings[1].Title, "72403 2016-01-01 12Z");
        ExpectLevel(r.Soundings[1].Levels[0], {1009.86f, 88, 4.4f, MissingValue, 0, 0});
    }
}

// Bad input: a clear message, and what could be read.
// A zip whose central directory claims Claimed compressed bytes for its
// member, whatever the member really holds.
std::string ZipClaiming(const std::string& Data, std::uint32_t Claimed)
{
    std::string zip = Zip({{"a.txt", Data}});
    const std::size_t central = zip.find("PK\x01\x02");
    std::string claimed;
    Put(claimed, Claimed, 4);
    zip.replace(central + 20, 4, claimed);
    return zip;
}

// Bad input never refuses more than it must: archive faults and content that
// is no sounding data refuse the file (Message), a damaged line leaves out
// its launch only (Warning, counted in Skipped), and what reads correctly is
// kept.
TEST(Sources, badInput_givesAMessageAndWhatCouldBeRead)
{
    const std::string real = Slurp(kData + "/wyoming_94610_2016_01.html");
    const std::string gz = Gzip(real);
    const std::string zip = Zip({{"a.html", real}});
    const std::string zeros(64u << 20, '0');
    std::string badDigits = kIgra;
    badDigits.replace(badDigits.find("  169B"), 6, "  1x9B");
    std::string badHeader = kIgra;
    badHeader.replace(badHeader.find("2016 01 01 12"), 4, "20l6");
    std::string noHead = real;
    noHead.replace(noHead.find("   PRES"), 7, "   XXXX");
    std::size_t tenth = 0;
    for (int i = 0; i < 10; ++i) tenth = real.find("<H2>", tenth + 1);
    const std::string cutInBlock = real.substr(0, tenth + 1500);
    auto igraWith = [](const char* From, const char* To) {
        std::string text = kIgra;
        text.replace(text.find(From), std::string_view(From).size(), To);
        return text;
    };
    std::string crOnly = kIgra;
    for (char& c : crOnly)
        if (c == '\n') c = '\r';
    std::string badDate = real;
    badDate.replace(badDate.find("00Z 01 Jan 2016"), 15, "00Z 30 Feb 2016");

    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Message;  // a part of the error; "" for none
        const char* Warning;  // a part of the first warning; "" for none, null: any
        std::size_t Skipped;
        std::size_t MinSoundings, MaxSoundings;
    };
    const Case cases[] = {
        {"not a sounding file", "hello\nworld\n", "Bad data file", "", 0, 0, 0},
        {"empty file", "", "Bad data file", "", 0, 0, 0},
        {"truncated gz", gz.substr(0, gz.size() / 2), "truncated", nullptr, 0, 1, 61},
        {"gz damaged", gz.substr(0, 20) + std::string(200, 'x'), "damaged", "", 0, 0, 0},
        {"truncated zip", zip.substr(0, zip.size() / 2), "zip archive", "", 0, 0, 0},
        {"zip of two files", Zip({{"a.html", real}, {"b.html", real}}), "holds 2 files", "", 0, 0, 0},
        {"zip of no file", Zip({}), "holds no file", "", 0, 0, 0},
        {"zip of a folder only", Zip({{"dir/", ""}}), "holds no file", "", 0, 0, 0},
        {"zip bomb", Zip({{"bomb.txt", zeros}}), "zip bomb", "", 0, 0, 0},
        {"zip bomb whose directory claims 2 GB packed", ZipClaiming(zeros, 0x7fffffffu), "zip bomb", "", 0, 0, 0},
        {"gz bomb", Gzip(zeros), "zip bomb", "", 0, 0, 0},
        {"bytes after the gz stream", Gzip(kIgra) + "junk", "", "4 bytes after the end", 0, 2, 2},
        {"non-digits in fixed columns", badDigits, "", "line 3: launch 72403 2016-01-01 00Z skipped: a level line", 1,
         1, 1},
        {"IGRA header unreadable", badHeader, "", "line 5:", 1, 1, 1},
        {"IGRA month 13", igraWith("2016 01 01 12", "2016 13 01 12"), "", "line 5: launch USM00072403 2016 13 01 12", 1,
         1, 1},
        {"IGRA 30 February", igraWith("2016 01 01 12", "2016 02 30 12"), "", "impossible date", 1, 1, 1},
        {"IGRA hour 24", igraWith("2016 01 01 12", "2016 01 01 24"), "", "impossible date or hour", 1, 1, 1},
        {"IGRA hour 99 is no hour, not a fault", igraWith("2016 01 01 12", "2016 01 01 99"), "", "", 0, 2, 2},
        {"IGRA with CR line ends", crOnly, "", "", 0, 2, 2},
        {"IGRA after a byte order mark", "\xEF\xBB\xBF" + kIgra, "", "", 0, 2, 2},
        {"IGRA headers without levels", "#USM00072403 2016 01 02 00 2302    3 x\n" + kIgra, "", "", 0, 2, 2},
        {"Wyoming block without its column head", noHead, "", "column", 1, 61, 61},
        {"Wyoming 30 February", badDate, "", "skipped: a heading", 1, 61, 61},
        {"Wyoming page cut inside a block", cutInBlock, "", "cut short", 0, 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSourceResult r = ReadSoundingSource(c.Bytes);
        if (*c.Message)
            EXPECT_NE(r.Error.find(c.Message), std::string::npos) << r.Error;
        else
            EXPECT_TRUE(r.Ok()) << r.Error;
        if (!c.Warning) {
        } else if (*c.Warning) {
            ASSERT_FALSE(r.Warnings.empty());
            EXPECT_NE(r.Warnings[0].find(c.Warning), std::string::npos) << r.Warnings[0];
        } else {
            EXPECT_TRUE(r.Warnings.empty()) << r.Warnings[0];
        }
        EXPECT_EQ(r.Skipped, c.Skipped);
        EXPECT_GE(r.Soundings.size(), c.MinSoundings);
        EXPECT_LE(r.Soundings.size(), c.MaxSoundings);
    }
}

// A fixed-column number: blanks, one minus right before the digits, digits;
// anything else damages the launch.
TEST(IgraReader, fixedColumnField_readsOnlyBlanksMinusAndDigits)
{
    struct Case {
        const char* Field;  // the 5 temperature columns of the second level
        bool Read;
        float Temperature;
    };
    const Case cases[] = {
        {"   87", true, 8.7f},
        {" -169", true, -16.9f},
        {"-0012", true, -1.2f},
        {"    0", true, 0.0f},
        {"00000", true, 0.0f},
        {"    -", false, 0},
        {" - 12", false, 0},
        {"  1-2", false, 0},
        {"12 34", false, 0},
        {"--123", false, 0},
        {" +123", false, 0},
        {"  1\xE9"
         "2",
         false, 0},
        {"12\t34", false, 0},
        {"  12 ", false, 0},
        {"9999 ", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        std::string text = kIgra;
        text.replace(text.find("   87B"), 5, c.Field);
        const TSourceResult r = ReadSoundingSource(text);
        ASSERT_TRUE(r.Ok()) << r.Error;
        ASSERT_EQ(r.Skipped, c.Read ? 0u : 1u);
        if (c.Read) {
            EXPECT_FLOAT_EQ(r.Soundings[0].Levels[1].Temperature, c.Temperature);
        }
    }
    // A blank field is a missing temperature: read, and the level is left
    // out like the one without a temperature after it.
    std::string blank = kIgra;
    blank.replace(blank.find("   87B"), 5, "     ");
    const TSourceResult r = ReadSoundingSource(blank);
    EXPECT_EQ(r.Skipped, 0u);
    ASSERT_FALSE(r.Soundings.empty());
    EXPECT_EQ(r.Soundings[0].Levels.size(), 1u);
}

// A large station text is read in two halves on two threads: the result is
// the one a single reader gives, launches and warnings (their line numbers
// counted over the whole text) alike.
TEST(Sources, largeStationTextReadInHalves_equalsOneReader)
{
    std::string text;
    int launch = 0;
    while (text.size() < (std::size_t(40) << 20)) {
        char header[96];
        std::snprintf(header, sizeof header,
                      "#USM00072403 %04d %02d %02d %02d 2302    3 ncdc-nws ncdc-nws  389767  -774864\n",
                      1900 + launch / 720, launch / 60 % 12 + 1, launch / 2 % 28 + 1, launch % 2 * 12);
        text += header;
        text += kIgra.substr(kIgra.find('\n') + 1, kIgra.find('#', 1) - kIgra.find('\n') - 1);
        ++launch;
    }
    // A damaged level line three quarters in.
    const std::size_t damaged = text.find("\n21", text.size() * 3 / 4) + 1;
    text.replace(damaged + 10, 1, "x");
    const std::size_t line = std::size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(damaged), '\n')) + 1;

    const TSourceResult halves = ReadSoundingSource(text);
    TSourceResult one;
    TSourceParser parser;
    parser.Feed(text);
    parser.Finish(one);
    ASSERT_TRUE(halves.Ok()) << halves.Error;
    ASSERT_EQ(halves.Soundings.size(), std::size_t(launch - 1));
    ASSERT_EQ(halves.Soundings.size(), one.Soundings.size());
    for (std::size_t i = 0; i < one.Soundings.size(); ++i) {
        ASSERT_EQ(halves.Soundings[i].Title, one.Soundings[i].Title) << i;
        ASSERT_EQ(halves.Soundings[i].Levels.size(), one.Soundings[i].Levels.size()) << i;
    }
    EXPECT_EQ(halves.Skipped, 1u);
    ASSERT_EQ(halves.Warnings, one.Warnings);
    EXPECT_EQ(halves.Warnings[0].rfind("line " + std::to_string(line) + ": launch", 0), 0u) << halves.Warnings[0];
}

// Memory running out in either half of a large station text is thrown on
// to the caller (who tells it and exits 1), never lost in its thread.
TEST(Sources, largeStationTextReadInHalves_throwsEitherHalfsFailure)
{
    std::string text;
    for (int launch = 0; text.size() < (std::size_t(33) << 20); ++launch) {
        char header[96];
        std::snprintf(header, sizeof header,
                      "#USM00072403 %04d %02d %02d %02d 2302    3 ncdc-nws ncdc-nws  389767  -774864\n",
                      1900 + launch / 720, launch / 60 % 12 + 1, launch / 2 % 28 + 1, launch % 2 * 12);
        text += header;
        text += kIgra.substr(kIgra.find('\n') + 1, kIgra.find('#', 1) - kIgra.find('\n') - 1);
    }
    // Handing back the memory of a piece read fails on one of the threads.
    class TFailingText : public TWholeText {
    public:
        TFailingText(const std::string& Text, bool Second) : text_(Text), second_(Second) {}
        std::string_view Text() const override { return text_; }
        void Release(std::size_t, std::size_t) override
        {
            if ((std::this_thread::get_id() != main_) == second_) throw std::bad_alloc();
        }

    private:
        const std::string& text_;
        bool second_;
        std::thread::id main_ = std::this_thread::get_id();
    };
    for (const bool second : {false, true}) {
        TFailingText whole(text, second);
        TSourceResult result;
        EXPECT_THROW(ReadSoundingText(whole, result), std::bad_alloc) << (second ? "second half" : "first half");
    }
}

TEST(WyomingReader, columnsAreFoundByName)
{
    const std::string page =
        "<H2>94610 YPPH Perth Airport Observations at 12Z 29 Feb 2016</H2>\r\n<PRE>\r\n"
        "-----------------------------------\r\n"
        "   HGHT   PRES   DRCT   TEMP   SPED\r\n"
        "     m     hPa    deg     C     m/s\r\n"
        "-----------------------------------\r\n"
        "     20 1015.0     90   19.2    9.3\r\n"
        "     44 1012.0                     \r\n"
        "</PRE>\r\n";
    const TSourceResult r = ReadSoundingSource(page);
    ASSERT_TRUE(r.Ok()) << r.Error;
    ASSERT_EQ(r.Soundings.size(), 1u);
    EXPECT_EQ(r.Soundings[0].Title, "94610 2016-02-29 12Z");
    ASSERT_EQ(r.Soundings[0].Levels.size(), 1u);
    ExpectLevel(r.Soundings[0].Levels[0], {1015, 20, 19.2f, MissingValue, 90, 9.3f});
}

// A ready set handed over while a page is still loading replaces the page:
// the rest of the page must not be added to it.
TEST(Sources, readySetDuringAPageLoad_winsOverThePage)
{
    TLapseRates set;
    bool handed = false;
    set.ProcessMessages = [&] {
        if (handed) return;
        handed = true;
        set.SetSoundings(ReadSoundingSource(kIgra).Soundings);
    };
    set.LoadPage(Slurp(kData + "/Perth 2016.html"));
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Soundings[0].Title, "72403 2016-01-01 00Z");
}

// Every reader fills the launch key as it reads: the full station id, the
// date (29 February of a leap year, the last hour of a year), the nominal
// hour (99: none, last in its day on the clock) and the release time; the
// section's clock runs on across a year's end.
TEST(Sources, everyReaderFillsTheLaunchKey)
{
    const auto table = [](const char* Title) {
        return pages::Table(pages::Row(Title, {"1000", "100", "15", "2", "90", "5"}));
    };
    const auto wyoming = [](const char* When) {
        return std::string("<H2>94610 YPPH Perth Airport Observations at ") + When +
               "</H2>\n<PRE>\n---------------------\n   PRES   HGHT   TEMP\n    hPa     m      C\n"
               "---------------------\n 1000.0    100   15.0\n</PRE>\n";
    };
    struct Case {
        const char* Name;
        std::string Text;
        // "<station>|<date> <HH>Z|<release>" per launch ("-" for no key).
        std::vector<std::string> Keys;
    };
    const Case cases[] = {
        {"page",
         pages::Page(table("94610 2016-02-29 12Z") + table("Perth, 2015-12-31 23Z") + table("94610 2016-01-01 99Z") +
                     table("94610 2015-02-29 00Z") + table("launch 7")),
         {"94610|2016-02-29 12Z|-1", "Perth|2015-12-31 23Z|-1", "94610|2016-01-01 99Z|-1", "-", "-"}},
        {"IGRA",
         "#USM00072403 2016 02 29 99 0530    1 x\n21     0 100982B   88    94B  627    67   340    10 \n"
         "#USM00072403 2015 12 31 23 9999    1 x\n21     0 100982B   88    94B  627    67   340    10 \n"
         "#USM00072403 2015 02 29 00 9999    1 x\n21     0 100982B   88    94B  627    67   340    10 \n",
         {"USM00072403|2016-02-29 99Z|530", "USM00072403|2015-12-31 23Z|-1"}},
        {"Wyoming",
         wyoming("12Z 29 Feb 2016") + wyoming("23Z 31 Dec 2015") + wyoming("00Z 29 Feb 2015"),
         {"94610|2016-02-29 12Z|-1", "94610|2015-12-31 23Z|-1"}},
    };
    for (const Case& c : cases) {
        const TSourceResult r = ReadSoundingSource(c.Text);
        std::vector<std::string> keys;
        for (const TSounding& s : r.Soundings) {
            const sounding::TLaunchKey& k = s.Launch;
            keys.push_back(k.Known() ? std::string(sounding::StationOf(k)) + "|" +
                                           sounding::LaunchTitle("", k).substr(1) + "|" + std::to_string(k.Release)
                                     : "-");
        }
        EXPECT_EQ(keys, c.Keys) << c.Name;
    }
    const auto hour = [](const char* Date, int Hour) {
        return *sounding::LaunchHour(sounding::LaunchKey("x", *sounding::DateOfText(Date), Hour));
    };
    EXPECT_EQ(hour("2016-01-01", 0) - hour("2015-12-31", 23), 1);
    EXPECT_EQ(hour("2016-01-01", 99), hour("2016-01-01", 23));
    EXPECT_EQ(hour("2016-03-01", 0) - hour("2016-02-28", 0), 48);
    EXPECT_EQ(hour("2015-03-01", 0) - hour("2015-02-28", 0), 24);
}
