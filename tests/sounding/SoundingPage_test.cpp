#include "sounding/LapseRates.h"

#include "support/PageBuilder.h"
#include "components/jtSysUtils.h"
#include "platform/Fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using pages::Cell;
using pages::Page;
using pages::Row;
using pages::Table;

constexpr float M = MissingValue;

std::vector<std::string> V(std::initializer_list<const char*> Values) { return {Values.begin(), Values.end()}; }

// A plain two-level launch.
std::string Launch(const std::string& Title, const char* Temperature = "15.0")
{
    return Table(Row(Title, V({"1000.0", "100", Temperature, "2.0", "90", "5.0"})) +
                 Row(Title, V({"900.0", "1000", "8.5", "3.0", "180", "7.5"})));
}

class PageLoad : public ::testing::Test {
protected:
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    platform::ScopedPlatform guard{&prompts, &system, nullptr};
    TLapseRates set;

    // The reader reports a page without its data and leaves telling the
    // user to its caller: no box of its own.
    void ExpectMissingData(TPageLoad Result)
    {
        EXPECT_EQ(Result, TPageLoad::MissingData);
        EXPECT_TRUE(prompts.Boxes.empty());
    }
};

// ------------------------------------------------------------ page markers

TEST_F(PageLoad, readsEveryTableInOrder)
{
    set.LoadPage(Page(Launch("A") + Launch("B") + Launch("C")));
    ASSERT_EQ(set.Count(), 3);
    EXPECT_EQ(set.Soundings[0].Title, "A");
    EXPECT_EQ(set.Soundings[2].Title, "C");
    const TSoundingLevel& l = set.Soundings[1].Levels[1];
    EXPECT_EQ(l.Pressure, 900.0f);
    EXPECT_EQ(l.Height, 1000.0f);
    EXPECT_EQ(l.Temperature, 8.5f);
    EXPECT_EQ(l.DewPointDiff, 3.0f);
    EXPECT_EQ(l.WindDirection, 180.0f);
    EXPECT_EQ(l.WindSpeed, 7.5f);
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(PageLoad, pageMarkersMatchInAnyCase)
{
    set.LoadPage("<p>eNd: NcDc pAgE hEaDeR</p>" + Launch("A") + "<!-- ncdc page footer -->");
    EXPECT_EQ(set.Count(), 1);
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(PageLoad, textOutsideTheMarkersIsIgnored)
{
    set.LoadPage(Launch("before") + "end: NCDC PAGE HEADER" + Launch("inside") + "NCDC PAGE FOOTER" + Launch("after"));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "inside");
}

// Pages that lack their data: the box, and an empty set.
TEST_F(PageLoad, pageWithoutItsDataShowsTheBox)
{
    const std::string body = Launch("A");
    const std::string cases[] = {
        "",
        "end: NCDC PAGE HEADER" + body,                       // header only
        body + "NCDC PAGE FOOTER",                            // footer only
        "NCDC PAGE FOOTER" + body + "end: NCDC PAGE HEADER",  // in the wrong order
        "end: NCDC PAGE HEADERNCDC PAGE FOOTER",              // nothing between
        "end: NCDC PAGE HEADER" + body + "NCDC PAGE FOOTE",   // footer cut short
    };
    for (const std::string& page : cases) {
        prompts.Boxes.clear();
        set.Soundings.resize(4);
        set.Current = 3;
        const TPageLoad result = set.LoadPage(page);
        EXPECT_EQ(set.Count(), 0) << page;
        EXPECT_EQ(set.Current, 3) << page;
        ExpectMissingData(result);
    }
}

TEST_F(PageLoad, bodyWithoutTablesGivesNoSoundingsAndNoBox)
{
    int calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    for (const char* body :
         {"just text", "<TABLE>dpdiff_C</TD></TR><TR>x</TR></TABLE>", "<table> never closed", "</table> closed only"}) {
        set.LoadPage(Page(body));
        EXPECT_EQ(set.Count(), 0) << body;
    }
    EXPECT_TRUE(prompts.Boxes.empty());
}

// ------------------------------------------------------------ tables and rows

TEST_F(PageLoad, tableWithoutColumnHeadGivesAnEmptySounding)
{
    const std::string broken = "<table>" + Row("B", V({"1000", "1", "2", "3", "4", "5"})) + "</table>";
    set.LoadPage(Page(Launch("A") + broken + Launch("C")));
    ASSERT_EQ(set.Count(), 3);
    EXPECT_EQ(set.Soundings[1].Title, "");
    EXPECT_TRUE(set.Soundings[1].Levels.empty());
    EXPECT_EQ(set.Soundings[2].Levels.size(), 2u);
}

TEST_F(PageLoad, everyNonEmptyTableCountsEvenWithoutRows)
{
    set.LoadPage(Page("<table></table><table>dpdiff_C</TD></TR></table>"));
    ASSERT_EQ(set.Count(), 2);
    EXPECT_TRUE(set.Soundings[0].Levels.empty());
    EXPECT_TRUE(set.Soundings[1].Levels.empty());
}

// The end marker before the start marker makes an empty table that is
// skipped; the scan goes on after that end marker.
TEST_F(PageLoad, endMarkerBeforeStartMarkerSkipsToIt)
{
    int calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    set.LoadPage(Page("</table>" + Launch("A")));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "A");
    EXPECT_EQ(calls, 2);
}

TEST_F(PageLoad, firstDataRowIsTitleAndLevel)
{
    set.LoadPage(Page(Table(Row("first", V({"1000", "10", "5", "1", "2", "3"})) +
                            Row("second", V({"900", "900", "1", "1", "2", "3"})))));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "first");
    ASSERT_EQ(set.Soundings[0].Levels.size(), 2u);
    EXPECT_EQ(set.Soundings[0].Levels[0].Pressure, 1000.0f);
}

struct RowCase {
    const char* Name;
    std::string Row;
    bool Stored;
    TSoundingLevel Level;
};

class RowRules : public PageLoad, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowRules, rowBecomesTheExpectedLevel)
{
    const RowCase& c = GetParam();
    // A first row that has every value, so FixSurface leaves the sounding alone.
    set.LoadPage(Page(Table(Row("T", V({"1000", "100", "15", "1", "1", "1"})) + c.Row)));
    ASSERT_EQ(set.Count(), 1);
    const std::vector<TSoundingLevel>& levels = set.Soundings[0].Levels;
    ASSERT_EQ(levels.size(), c.Stored ? 2u : 1u);
    if (!c.Stored) return;
    const TSoundingLevel& l = levels[1];
    EXPECT_EQ(l.Pressure, c.Level.Pressure);
    EXPECT_EQ(l.Height, c.Level.Height);
    EXPECT_EQ(l.Temperature, c.Level.Temperature);
    EXPECT_EQ(l.DewPointDiff, c.Level.DewPointDiff);
    EXPECT_EQ(l.WindDirection, c.Level.WindDirection);
    EXPECT_EQ(l.WindSpeed, c.Level.WindSpeed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowRules,
    ::testing::Values(
        RowCase{"emptyTemperatureDropsTheRow", Row("T", V({"900", "900", "", "1", "1", "1"})), false, {}},
        RowCase{"temperatureBelowMinus150DropsTheRow", Row("T", V({"900", "900", "-150.5", "1", "1", "1"})), false, {}},
        RowCase{"temperatureOfMinus150IsKept",
                Row("T", V({"900", "900", "-150", "1", "1", "1"})),
                true,
                {900, 900, -150, 1, 1, 1}},
        RowCase{"emptyHeightIsMissing", Row("T", V({"900", "", "5", "1", "1", "1"})), true, {900, M, 5, 1, 1, 1}},
        RowCase{"missingCellsReadAsMissing", Row("T", V({"900", "900", "5"})), true, {900, 900, 5, M, M, M}},
        RowCase{"tooFewCellsForATemperatureDropTheRow", Row("T", V({"900", "900"})), false, {}},
        RowCase{"labelCellOnlyGivesNoLevel", "<TR>" + Cell("T") + "</TR>", false, {}},
        RowCase{"extraCellsAreIgnored",
                Row("T", V({"900", "900", "5", "1", "2", "3", "x", "y", "z"})),
                true,
                {900, 900, 5, 1, 2, 3}},
        RowCase{"signedAndExponentNumbers",
                Row("T", V({"+9.5e2", "1E3", "-2.5E-1", " 4 ", "+0", "+0.5e+1"})),
                true,
                {950, 1000, -0.25f, 4, 0, 5}},
        // The height cell lacks "center'>": the height comes from the next
        // cell, which is then read once more as the temperature.
        RowCase{
            "cellWithoutAlignmentTakesALaterValue",
            "<TR>" + Cell("T") + Cell("900") + "<TD>no</TD>" + Cell("7") + Cell("1") + Cell("2") + Cell("3") + "</TR>",
            true,
            {900, 7, 7, 1, 2, 3}},
        RowCase{"lowerCaseRowIsNoRow", "<tr>" + Cell("T") + Cell("900") + Cell("900") + Cell("5") + "</tr>", false, {}},
        RowCase{"rowWithAttributesIsNoRow",
                "<TR class='x'>" + Cell("T") + Cell("900") + Cell("900") + Cell("5") + "</TR>",
                false,
                {}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(PageLoad, surfaceWithoutHeightIsFixedAfterTheRows)
{
    set.LoadPage(
        Page(Table(Row("T", V({"1000", "", "15", "1", "1", "1"})) + Row("T", V({"850", "1500", "5", "1", "1", "1"})))));
    ASSERT_EQ(set.Count(), 1);
    const std::vector<TSoundingLevel>& levels = set.Soundings[0].Levels;
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].Pressure, 850.0f);
    EXPECT_EQ(levels[1].Pressure, 1000.0f);
    EXPECT_EQ(levels[1].Height, 187.0f);
}

// Between the column head's "</TR>" and the first row stands a stray
// "</TR>": the scan reads the first row, then skips only to that stray end,
// so the same row is read again.
TEST_F(PageLoad, strayRowEndReadsARowTwice)
{
    const std::string table = "<table><TR>" + Cell("dpdiff_C") + "</TR></TR>" +
                              Row("T", V({"1000", "100", "15", "1", "1", "1"})) + "</table>";
    set.LoadPage(Page(table));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Levels.size(), 2u);
}

// Each stray end makes the scan meet the row once more: one level each time,
// all alike, however long the row.
TEST_F(PageLoad, rowMetAgainByManyStrayEnds)
{
    std::string strays;
    for (int i = 0; i < 100000; ++i) strays += "</TR>";
    const std::string label(1 << 20, 'L');
    const std::string table = "<table><TR>" + Cell("dpdiff_C") + "</TR>" + strays +
                              Row(label, V({"1000", "100", "15", "1", "2", "3"})) + "</table>";
    set.LoadPage(Page(table));
    ASSERT_EQ(set.Count(), 1);
    const std::vector<TSoundingLevel>& levels = set.Soundings[0].Levels;
    ASSERT_EQ(levels.size(), 100001u);
    EXPECT_EQ(levels.front().WindSpeed, 3.0f);
    EXPECT_EQ(levels.back().Pressure, 1000.0f);
    EXPECT_EQ(set.Soundings[0].Title, label);
}

// A stray end before a row whose temperature is missing adds nothing.
TEST_F(PageLoad, droppedRowMetAgainStaysDropped)
{
    const std::string table = "<table><TR>" + Cell("dpdiff_C") + "</TR></TR></TR>" +
                              Row("T", V({"1000", "100", "", "1", "2", "3"})) +
                              Row("T", V({"900", "900", "5", "1", "2", "3"})) + "</table>";
    set.LoadPage(Page(table));
    ASSERT_EQ(set.Count(), 1);
    ASSERT_EQ(set.Soundings[0].Levels.size(), 1u);
    EXPECT_EQ(set.Soundings[0].Levels[0].Pressure, 900.0f);
}

// ------------------------------------------------------------ numbers

TEST_F(PageLoad, commaSeparatorReadsPointAndCommaDecimals)
{
    system.Separator = ',';
    set.LoadPage(Page(Table(Row("T", V({"1000.5", "100", "-1,25", "0.5", "90", "1,5e1"})))));
    ASSERT_EQ(set.Count(), 1);
    ASSERT_EQ(set.Soundings[0].Levels.size(), 1u);
    EXPECT_EQ(set.Soundings[0].Levels[0].Pressure, 1000.5f);
    EXPECT_EQ(set.Soundings[0].Levels[0].Temperature, -1.25f);
    EXPECT_EQ(set.Soundings[0].Levels[0].WindSpeed, 15.0f);
}

struct BadCell {
    std::string Text;
    char Separator;
};

class BadNumbers : public PageLoad, public ::testing::WithParamInterface<BadCell> {};

// The load ends at the bad cell: what was read stays, including the
// sounding being read with its levels so far, its surface not fixed.
TEST_P(BadNumbers, endTheLoadKeepingWhatWasRead)
{
    system.Separator = GetParam().Separator;
    const std::string& bad = GetParam().Text;
    const std::string good = Table(Row("A", V({"1000", "100", "15", "1", "1", "1"})));
    const std::string failing =
        Table(Row("B", V({"1000", "", "15", "1", "1", "1"})) + Row("B", V({"900", "900", "5", "1", "1", "1"})) +
              Row("B", {"800", "1800", bad, "1", "1", "1"}) + Row("B", V({"700", "2700", "1", "1", "1", "1"})));
    try {
        set.LoadPage(Page(good + failing + good));
        FAIL() << "no failure for '" << bad << "'";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + bad + "' is not a valid floating point value");
    }
    ASSERT_EQ(set.Count(), 2);
    const std::vector<TSoundingLevel>& levels = set.Soundings[1].Levels;
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].Pressure, 1000.0f);
    EXPECT_EQ(levels[0].Height, M);
}

INSTANTIATE_TEST_SUITE_P(Cells, BadNumbers,
                         ::testing::Values(BadCell{"abc", '.'}, BadCell{"1,5", '.'}, BadCell{"1,5.0", ','},
                                           BadCell{"0x10", '.'}, BadCell{"inf", '.'}, BadCell{"nan", '.'},
                                           BadCell{"1e", '.'}, BadCell{"--1", '.'}, BadCell{"\t1", '.'},
                                           BadCell{" ", '.'}, BadCell{std::string("1\0", 2), '.'}));

TEST_F(PageLoad, separatorIsAskedOncePerLoad)
{
    // A system whose separator changes on every question: one load must
    // read all its cells with the same one.
    struct Fickle : platform::FakeSystem {
        mutable int Asked = 0;
        char DecimalSeparator() const override { return ++Asked == 1 ? '.' : ','; }
    } fickle;
    platform::ScopedPlatform local(&prompts, &fickle, nullptr);
    set.LoadPage(Page(Launch("A") + Launch("B")));
    EXPECT_EQ(fickle.Asked, 1);
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Soundings[1].Levels[1].Temperature, 8.5f);
}

// ------------------------------------------------------------ pending messages

TEST_F(PageLoad, pendingMessagesAreHandledAfterEveryTable)
{
    std::vector<int> countsSeen;
    set.ProcessMessages = [&] { countsSeen.push_back(set.Count()); };
    set.LoadPage(Page(Launch("A") + "<table></table>" + Launch("C")));
    EXPECT_EQ(countsSeen, (std::vector<int>{1, 2, 3}));
}

TEST_F(PageLoad, newerLoadStartedBetweenTablesWins)
{
    const std::string first = Page(Launch("old1") + Launch("old2") + Launch("old3"));
    const std::string second = Page(Launch("new1") + Launch("new2"));
    int calls = 0;
    set.ProcessMessages = [&] {
        if (++calls == 1) set.LoadPage(second);
    };
    set.LoadPage(first);
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Soundings[0].Title, "new1");
    EXPECT_EQ(set.Soundings[1].Title, "new2");
}

TEST_F(PageLoad, clearDuringALoadLetsTheLoadGoOn)
{
    int calls = 0;
    set.ProcessMessages = [&] {
        if (++calls == 1) set.Clear();
    };
    set.LoadPage(Page(Launch("A") + Launch("B")));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "B");
}

// ------------------------------------------------------------ bad input

TEST_F(PageLoad, randomBytesNeverCrash)
{
    std::mt19937 random(7);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = char(random());
    ExpectMissingData(set.LoadPage(bytes));
    EXPECT_EQ(set.Count(), 0);
    // The same bytes as a page body.
    EXPECT_EQ(set.LoadPage(Page(bytes)), TPageLoad::Read);
}

// Damaged copies of a good page: each loads, or ends with a conversion
// failure, and nothing else.
TEST_F(PageLoad, damagedPagesLoadOrFailCleanly)
{
    const std::string page = Page(Launch("A") + Launch("B") + Launch("C"));
    const char pieces[] = {'<', '>', '/', '\'', '\0', 'T', 'D', 'R', 'e', '-', '.', ' ', 'x'};
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = page;
        for (int k = 0; k < 5; ++k) damaged[random() % damaged.size()] = pieces[random() % sizeof pieces];
        damaged.erase(random() % damaged.size(), random() % 40);
        try {
            set.LoadPage(damaged);
        } catch (const EConvertError&) {
        }
        EXPECT_LE(set.Count(), 3);
    }
}

TEST_F(PageLoad, nulBytesAreOrdinaryCharacters)
{
    const std::string title("A\0B", 3);
    set.LoadPage(Page(std::string("\0\0", 2) + Launch(title) + std::string("\0", 1) + Launch("C")));
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Soundings[0].Title, title);
    EXPECT_EQ(set.Soundings[0].Levels.size(), 2u);
}

TEST_F(PageLoad, hundredThousandEmptyTables)
{
    std::string body;
    for (int i = 0; i < 100000; ++i) body += "<table></table>";
    int calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    set.LoadPage(Page(body));
    EXPECT_EQ(set.Count(), 100000);
    EXPECT_EQ(calls, 100000);
}

// Many end markers before the only start marker: each is one empty table,
// and the start marker is looked for only once.
TEST_F(PageLoad, manyEndMarkersBeforeOneTable)
{
    std::string body;
    for (int i = 0; i < 200000; ++i) body += "</table>";
    set.LoadPage(Page(body + Launch("last")));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "last");
}

TEST_F(PageLoad, megabyteCells)
{
    const std::string title(1 << 20, 'T');
    const std::string paddedNumber = std::string(1 << 20, ' ') + "12.5";
    set.LoadPage(Page(Table(Row(title, {"1000", "100", paddedNumber, "1", "1", "1"}))));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, title);
    ASSERT_EQ(set.Soundings[0].Levels.size(), 1u);
    EXPECT_EQ(set.Soundings[0].Levels[0].Temperature, 12.5f);
}

TEST_F(PageLoad, rowsWithHundredsOfCells)
{
    std::vector<std::string> cells = {"1000", "100", "15", "1", "2", "3"};
    for (int i = 0; i < 500; ++i) cells.push_back(i % 2 ? "junk" : "");
    std::string rows;
    for (int r = 0; r < 50; ++r) rows += Row("T", cells);
    set.LoadPage(Page(Table(rows)));
    ASSERT_EQ(set.Count(), 1);
    ASSERT_EQ(set.Soundings[0].Levels.size(), 50u);
    EXPECT_EQ(set.Soundings[0].Levels[49].WindSpeed, 3.0f);
}

// A number beyond what the atmosphere holds is a damaged number: missing,
// never a level at 1e30 m that would overflow the section's pixels.
TEST_F(PageLoad, numbersBeyondPhysicsAreMissing)
{
    set.LoadPage(Page(Table(Row("T", V({"1e39", "1e-60", "-1e300", "1", "1", "1"})) +
                            Row("T", V({"1100.5", "1e30", "20", "-0.1", "361", "1e300"})) +
                            Row("T", V({"0", "-1000.5", "80", "100.5", "-1", "200.5"})) +
                            Row("T", V({"1100", "100000", "-150", "100", "360", "200"})))));
    ASSERT_EQ(set.Count(), 1);
    // The first row's temperature is beyond physics: no level.
    const auto& levels = set.Soundings[0].Levels;
    ASSERT_EQ(levels.size(), 3u);
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(levels[i].Pressure, MissingValue);
        EXPECT_EQ(levels[i].Height, MissingValue);
        EXPECT_EQ(levels[i].DewPointDiff, MissingValue);
        EXPECT_EQ(levels[i].WindDirection, MissingValue);
        EXPECT_EQ(levels[i].WindSpeed, MissingValue);
    }
    EXPECT_EQ(levels[2].Pressure, 1100);
    EXPECT_EQ(levels[2].Height, 100000);
    EXPECT_EQ(levels[2].Temperature, -150);
    EXPECT_EQ(levels[2].WindSpeed, 200);
}

}  // namespace
