// The exporter's command line: what each argument list asks for, and the
// one-line complaint about each unusable one.
#include "tools/ExportOptions.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

ExportOptions Parse(const Args& A)
{
    ExportOptions O;
    const std::string Problem = ParseExportArguments(A, O);
    EXPECT_EQ(Problem, "") << ::testing::PrintToString(A);
    return O;
}

TEST(PictureArguments, picturesWithDefaults)
{
    const ExportOptions O = Parse({"p.html", "--png", "dir", "--gif", "m.gif"});
    ASSERT_EQ(O.Targets.size(), 2u);
    EXPECT_EQ(O.Targets[0].Format, ExportFormat::Png);
    EXPECT_EQ(O.Targets[0].Path, "dir");
    EXPECT_EQ(O.Targets[1].Format, ExportFormat::Gif);
    EXPECT_EQ(O.Targets[1].Path, "m.gif");
    EXPECT_TRUE(O.WantsPictures());
    EXPECT_EQ(O.Width, 705);
    EXPECT_EQ(O.Height, 313);
    EXPECT_EQ(O.From, -1);
    EXPECT_EQ(O.To, -1);
    EXPECT_EQ(O.Ms, 0);
    EXPECT_EQ(O.SettingsPath, "");
    EXPECT_EQ(O.Series, TSeriesChoice{});
}

TEST(PictureArguments, pictureOptionsInBothForms)
{
    for (const Args& A : {Args{"--gif", "m.gif", "p.html", "--ms", "250", "--size", "640x480", "--from", "3", "--to",
                               "9", "--settings", "my.ini", "--series", "dalr,Points"},
                          Args{"p.html", "--gif=m.gif", "--ms=250", "--size=640X480", "--from=3", "--to=9",
                               "--settings=my.ini", "--series=dalr, points"}}) {
        const ExportOptions O = Parse(A);
        EXPECT_EQ(O.PagePath, "p.html");
        ASSERT_EQ(O.Targets.size(), 1u);
        EXPECT_EQ(O.Targets[0].Path, "m.gif");
        EXPECT_EQ(O.Ms, 250);
        EXPECT_EQ(O.Width, 640);
        EXPECT_EQ(O.Height, 480);
        EXPECT_EQ(O.From, 3);
        EXPECT_EQ(O.To, 9);
        EXPECT_EQ(O.SettingsPath, "my.ini");
        EXPECT_TRUE(O.Series.Shown[2]);
        EXPECT_TRUE(O.Series.Points);
        EXPECT_FALSE(O.Series.Markers);
    }
}

TEST(PictureArguments, seriesNamesPickTheirSlots)
{
    struct Case {
        std::string List;
        std::vector<int> Slots;
        bool Points, Markers;
    };
    const Case Cases[] = {
        {"standard", {1}, false, false},
        {"dalr,elr,salr", {2, 3, 4}, false, false},
        {"DewPoint,WINDDIRECTION,windspeed", {5, 6, 7}, false, false},
        {"markers", {}, false, true},
        {" standard , points ,", {1}, true, false},
        {"", {}, false, false},
    };
    for (const Case& C : Cases) {
        TSeriesChoice Choice;
        Choice.Shown[3] = true;  // replaced, not added to
        ASSERT_EQ(ParseSeriesList(C.List, Choice), "") << C.List;
        for (int Slot = 0; Slot < SlotCount; ++Slot) {
            const bool Wanted = std::find(C.Slots.begin(), C.Slots.end(), Slot) != C.Slots.end();
            EXPECT_EQ(Choice.Shown[Slot], Wanted) << C.List << " slot " << Slot;
        }
        EXPECT_EQ(Choice.Points, C.Points) << C.List;
        EXPECT_EQ(Choice.Markers, C.Markers) << C.List;
    }
}

TEST(PictureArguments, unusableListsSayWhatIsWrong)
{
    struct Case {
        Args A;
        std::string Says;
    };
    const Case Cases[] = {
        {{"--gif", "m.gif"}, "no page given"},
        {{"p.html"}, "no output chosen"},
        {{"p.html", "--gif"}, "--gif needs a file name"},
        {{"p.html", "--gif="}, "--gif needs a file name"},
        {{"p.html", "--png"}, "--png needs a directory"},
        {{"p.html", "--gif", "m.gif", "--ms"}, "--ms needs a value"},
        {{"p.html", "--gif", "m.gif", "--ms", "0"}, "--ms '0' is not a number of milliseconds"},
        {{"p.html", "--gif", "m.gif", "--ms", "-5"}, "--ms '-5'"},
        {{"p.html", "--gif", "m.gif", "--ms", "12.5"}, "--ms '12.5'"},
        {{"p.html", "--gif", "m.gif", "--ms", "655351"}, "--ms '655351'"},
        {{"p.html", "--gif", "m.gif", "--ms", "99999999999"}, "--ms '99999999999'"},
        {{"p.html", "--gif", "m.gif", "--ms", "10", "--ms", "20"}, "--ms given more than once"},
        {{"p.html", "--png", "d", "--ms", "100"}, "--ms applies to --gif only"},
        {{"p.html", "--csv", "--size", "100x100"}, "--size applies to --png, --gif and --section only"},
        {{"p.html", "--csv", "--settings", "a.ini"}, "--settings applies to --png, --gif and --section only"},
        {{"p.html", "--png", "d", "--size", "705"}, "--size '705' is not WIDTHxHEIGHT"},
        {{"p.html", "--png", "d", "--size", "0x100"}, "--size '0x100'"},
        {{"p.html", "--png", "d", "--size", "5000x100"}, "--size '5000x100'"},
        {{"p.html", "--png", "d", "--size", "100x-100"}, "--size '100x-100'"},
        {{"p.html", "--png", "d", "--from", "x"}, "--from 'x' is not a frame number"},
        {{"p.html", "--png", "d", "--to", "-1"}, "--to '-1' is not a frame number"},
        {{"p.html", "--png", "d", "--from", "5", "--to", "2"}, "--from 5 lies after --to 2"},
        {{"p.html", "--png", "d", "--series", "dalr,cape"}, "unknown series 'cape'"},
        {{"p.html", "--png", "d", "--settings", ""}, "--settings needs a file name"},
    };
    for (const Case& C : Cases) {
        ExportOptions O;
        const std::string Problem = ParseExportArguments(C.A, O);
        EXPECT_NE(Problem.find(C.Says), std::string::npos)
            << ::testing::PrintToString(C.A) << " said: " << Problem;
    }
}

TEST(PictureArguments, helpNeedsNoPageAndNamesEveryOption)
{
    ExportOptions O;
    EXPECT_EQ(ParseExportArguments({"--help"}, O), "");
    EXPECT_TRUE(O.Help);
    const std::string Usage = ExportUsage();
    for (const char* Option : {"--csv", "--png", "--gif", "--ms", "--settings", "--series", "--size", "--from", "--to"})
        EXPECT_NE(Usage.find(Option), std::string::npos) << Option;
}

}  // namespace
