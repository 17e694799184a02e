#include "tools/CsvExport.h"
#include "tools/Export.h"
#include "tools/ExportOptions.h"
#include "tools/IndicesCsv.h"
#include "tools/LevelsCsv.h"

#include "platform/Fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// ------------------------------------------------------------ arguments

TEST(ExportArguments, namePageAndOutputs)
{
    struct Case {
        Args Arguments;
        std::string Page;
        std::vector<std::string> Outputs;  // "" = standard output
    };
    const Case cases[] = {
        {{"p.html", "--csv"}, "p.html", {""}},
        {{"p.html", "--csv", "o.csv"}, "p.html", {"o.csv"}},
        {{"p.html", "--csv", "-"}, "p.html", {""}},
        {{"p.html", "--csv=o.csv"}, "p.html", {"o.csv"}},
        {{"--csv=o.csv", "p.html"}, "p.html", {"o.csv"}},
        {{"--csv", "p.html"}, "p.html", {""}},
        {{"--csv", "--", "-odd.html"}, "-odd.html", {""}},
        {{"p.html", "--csv", "a.csv", "--csv", "b.csv"}, "p.html", {"a.csv", "b.csv"}},
    };
    for (const Case& c : cases) {
        ExportOptions o;
        const std::string problem = ParseExportArguments(c.Arguments, o);
        EXPECT_EQ(problem, "");
        EXPECT_EQ(o.PagePath, c.Page);
        std::vector<std::string> outputs;
        for (const ExportTarget& t : o.Targets) {
            EXPECT_EQ(t.Format, ExportFormat::Csv);
            outputs.push_back(t.Path);
        }
        EXPECT_EQ(outputs, c.Outputs) << c.Arguments[0];
    }
}

TEST(ExportArguments, refusesWhatCannotWork)
{
    const std::pair<Args, const char*> cases[] = {
        {{}, "no page given"},
        {{"--csv"}, "no page given"},
        {{"p.html"}, "no output chosen"},
        {{"p.html", "--png"}, "--png needs a directory"},
        {{"p.html", "--pdf", "x.pdf"}, "unknown option '--pdf'"},
        {{"p.html", "--csv", "--csv"}, "only one output can go to standard output"},
        {{"p.html", "-x", "--csv"}, "unknown option '-x'"},
    };
    for (const auto& [args, expected] : cases) {
        ExportOptions o;
        EXPECT_NE(ParseExportArguments(args, o).find(expected), std::string::npos) << expected;
    }
}

TEST(ExportArguments, helpWinsOverEverythingElse)
{
    for (const Args& args : {Args{"--help"}, Args{"-h", "--png"}, Args{"p.html", "--csv", "--help"}}) {
        ExportOptions o;
        ParseExportArguments(args, o);
        EXPECT_TRUE(o.Help);
    }
}

// ------------------------------------------------------------ CSV text

TEST(CsvText, fieldsAreQuotedOnlyWhenNeeded)
{
    const std::pair<std::string, std::string> cases[] = {
        {"94610 2016-01-01 00Z", "94610 2016-01-01 00Z"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {" padded ", " padded "},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(CsvField(text), expected);
}

TEST(CsvText, numbersAreTheShortestExactText)
{
    const std::pair<float, const char*> cases[] = {
        {-9999.0f, "-9999"}, {0.0f, "0"},   {19.2f, "19.2"},  {1015.0f, "1015"}, {9.26f, "9.26"},
        {-52.3f, "-52.3"},   {0.1f, "0.1"}, {1e-7f, "1e-07"}, {3e38f, "3e+38"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(SingleText(value), expected);

    // The few-decimal numbers of station files take a short way: the text is
    // the very one std::to_chars gives, byte for byte; so is the text of the
    // floats right beside them, which must not pass for them.
    for (long long n = -2000000; n <= 2000000; n += 7) {
        for (const double scale : {1.0, 10.0, 100.0, 1000.0}) {
            const float value = static_cast<float>(double(n) / scale);
            for (const float v : {value, std::nextafter(value, -1e30f), std::nextafter(value, 1e30f)}) {
                char buf[64];
                const auto r = std::to_chars(buf, buf + sizeof buf, v);
                ASSERT_EQ(SingleText(v), std::string(buf, r.ptr)) << n << " / " << scale;
            }
        }
    }
    EXPECT_EQ(SingleText(-0.0f), "-0");
    EXPECT_EQ(SingleText(100000.0f), "1e+05");

    std::mt19937 random(42);
    for (int i = 0; i < 5000; ++i) {
        std::uint32_t bits = std::uint32_t(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        const std::string text = SingleText(value);
        float back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
}

TEST(CsvText, oneRowPerLevelAndOneForAnEmptySounding)
{
    TLapseRates set;
    set.Soundings.resize(3);
    set.Soundings[0].Title = "A, \"first\"";
    set.Soundings[0].AddLevel(1015, 20, 19.2f, 10, 90, 9.26f);
    set.Soundings[0].AddLevel(8.8f, 32078, -38.3f, MissingValue, MissingValue, MissingValue);
    set.Soundings[1].Title = "empty";
    set.Soundings[2].AddLevel(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(SoundingsToCsv(set),
              "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n"
              "0,\"A, \"\"first\"\"\",1015,20,19.2,10,90,9.26\n"
              "0,\"A, \"\"first\"\"\",8.8,32078,-38.3,-9999,-9999,-9999\n"
              "1,empty,,,,,,\n"
              "2,,1,2,3,4,5,6\n");
}

TEST(CsvText, emptySetGivesTheHeaderOnly)
{
    EXPECT_EQ(SoundingsToCsv(TLapseRates()),
              "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n");
}

// A set of several runs of rows, made on two threads: the rows come out in
// order, in pieces no larger than asked, and a refused piece ends the
// writing at once (no piece after it, no waiting for a turn that never
// comes).
TEST(CsvText, largeSetMadeOnTwoThreads_keepsTheOrderAndStopsAtARefusal)
{
    TLapseRates set;
    set.Soundings.resize(40);
    std::string expected = "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n";
    for (int i = 0; i < 40; ++i) {
        set.Soundings[std::size_t(i)].Title = "L" + std::to_string(i);
        for (int j = 0; j < 5000; ++j) {
            set.Soundings[std::size_t(i)].AddLevel(float(j), float(i), -0.5f, 1, 2, 3);
            expected += std::to_string(i) + ",L" + std::to_string(i) + "," + std::to_string(j) + "," +
                        std::to_string(i) + ",-0.5,1,2,3\n";
        }
    }
    std::string text;
    std::size_t largest = 0;
    EXPECT_TRUE(WriteSoundingsCsv(
        set,
        [&](std::string_view Piece) {
            text.append(Piece);
            largest = std::max(largest, Piece.size());
            return true;
        },
        65536));
    EXPECT_TRUE(text == expected) << "the rows differ or are out of order";
    EXPECT_LE(largest, 65536u);

    for (const int refused : {1, 2, 9}) {
        int calls = 0;
        EXPECT_FALSE(WriteSoundingsCsv(
            set, [&](std::string_view) { return ++calls != refused; }, 65536));
        EXPECT_EQ(calls, refused);
    }
}

// The levels and indices of more launches than two runs hold (the last run
// a short one) come out whole and in order, and a refused piece stops them.
TEST(CsvText, levelsAndIndicesOfManyLaunches_keepEveryLaunchInOrder)
{
    TLapseRates set;
    set.Soundings.resize(5000);
    for (std::size_t i = 0; i < set.Soundings.size(); ++i) set.Soundings[i].Title = "L" + std::to_string(i);
    using TWriter = bool (*)(const TLapseRates&, const TCsvSink&);
    for (const TWriter write : {TWriter(&WriteLevelsCsv), TWriter(&tools::WriteIndicesCsv)}) {
        std::vector<std::string> rows;
        std::string text;
        EXPECT_TRUE(write(set, [&](std::string_view Piece) {
            text.append(Piece);
            return true;
        }));
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) rows.push_back(line);
        ASSERT_EQ(rows.size(), set.Soundings.size() + 1);
        for (std::size_t i = 0; i < set.Soundings.size(); ++i)
            ASSERT_EQ(rows[i + 1].rfind(std::to_string(i) + ",L" + std::to_string(i) + ",", 0), 0u) << rows[i + 1];
        int calls = 0;
        EXPECT_FALSE(write(set, [&](std::string_view) { return ++calls != 2; }));
        EXPECT_EQ(calls, 2);
    }
}

// ------------------------------------------------------------ the tool, in process

const char* const kGoodPage =
    "<!-- end: NCDC PAGE HEADER -->\n<table>\n<TR><TD align='center'>launch</TD><TD "
    "align='center'>dpdiff_C</TD></TR>\n"
    "<TR><TD align='center'>L1</TD><TD align='center'>1000.0</TD><TD align='center'>100</TD><TD "
    "align='center'>15.5</TD><TD align='center'>2</TD><TD align='center'></TD><TD align='center'>5</TD></TR>\n"
    "</table>\n<!-- NCDC PAGE FOOTER -->";

const char* const kGoodCsv =
    "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n"
    "0,L1,1000,100,15.5,2,-9999,5\n";

const char* const kBadNumberPage =
    "<!-- end: NCDC PAGE HEADER -->\n<table>\n<TR><TD align='center'>dpdiff_C</TD></TR>\n"
    "<TR><TD align='center'>L1</TD><TD align='center'>12x</TD></TR>\n</table>\n<!-- NCDC PAGE FOOTER -->";

class ExportRun : public ::testing::Test {
protected:
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    platform::ScopedPlatform guard{&prompts, &system, nullptr};
    QTemporaryDir dir;
    std::ostringstream out, err;

    std::string Path(const char* Name) const { return QDir(dir.path()).filePath(Name).toStdString(); }
    std::string Write(const char* Name, const std::string& Text) const
    {
        const std::string path = Path(Name);
        std::ofstream(path, std::ios::binary) << Text;
        return path;
    }
    static std::string Read(const std::string& Path)
    {
        std::ifstream in(Path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int Run(const Args& A) { return RunExport(A, out, err); }
};

TEST_F(ExportRun, writesCsvToStandardOutput)
{
    EXPECT_EQ(Run({Write("p.html", kGoodPage), "--csv"}), kExportDone);
    EXPECT_EQ(out.str(), kGoodCsv);
    EXPECT_EQ(err.str(), "");
}

TEST_F(ExportRun, writesCsvToTheNamedFile)
{
    const std::string csv = Path("out.csv");
    EXPECT_EQ(Run({Write("p.html", kGoodPage), "--csv", csv}), kExportDone);
    EXPECT_EQ(Read(csv), kGoodCsv);
    EXPECT_EQ(out.str(), "");
}

TEST_F(ExportRun, pageWithoutDataExitsTwoAndWritesNothing)
{
    const std::string csv = Write("out.csv", "earlier contents");
    EXPECT_EQ(Run({Write("p.html", "<html>no markers</html>"), "--csv", csv}), kExportNoData);
    EXPECT_NE(err.str().find("Bad data file"), std::string::npos);
    EXPECT_NE(err.str().find("File is missing data\n\nWait for the download to complete before saving"),
              std::string::npos);
    EXPECT_EQ(Read(csv), "earlier contents");
    // The tool's own box went to the console, not to the installed prompts,
    // and those are back in place afterwards.
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(&platform::prompts(), &prompts);
}

TEST_F(ExportRun, cellThatIsNoNumberExitsOneAndWritesNothing)
{
    const std::string csv = Path("out.csv");
    EXPECT_EQ(Run({Write("p.html", kBadNumberPage), "--csv", csv}), kExportFailed);
    EXPECT_NE(err.str().find("'12x' is not a valid floating point value"), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(csv)));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(&platform::prompts(), &prompts);
}

TEST_F(ExportRun, unreadablePageIsNamed)
{
    for (const std::string& page : {Path("missing.html"), dir.path().toStdString()}) {
        err.str("");
        EXPECT_EQ(Run({page, "--csv"}), kExportFailed);
        EXPECT_NE(err.str().find(page), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(ExportRun, unwritableOutputIsNamed)
{
    const std::string csv = Path("no/such/dir/out.csv");
    EXPECT_EQ(Run({Write("p.html", kGoodPage), "--csv", csv}), kExportFailed);
    EXPECT_NE(err.str().find(csv), std::string::npos) << err.str();
}

// A write that fails part way leaves the file that was there before as it
// was, and nothing beside it.
TEST_F(ExportRun, aFailedWriteKeepsTheOldCsv)
{
    platform::FaultyFileSystem files;
    files.FailWrite = true;
    platform::SetFiles(&files);
    const std::string page = Write("p.html", kGoodPage);
    const std::string csv = Write("out.csv", "the old export\n");
    EXPECT_EQ(Run({page, "--csv", csv}), kExportFailed);
    platform::SetFiles(nullptr);
    EXPECT_EQ(Read(csv), "the old export\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(ExportRun, badArgumentsShowTheUsage)
{
    EXPECT_EQ(Run({"p.html"}), kExportFailed);
    EXPECT_NE(err.str().find("Usage: profilora-export"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), kExportDone);
    EXPECT_NE(out.str().find("Usage: profilora-export"), std::string::npos);
}

TEST_F(ExportRun, realPageListsEveryLevel)
{
    const std::string csv = Path("perth.csv");
    ASSERT_EQ(Run({std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html", "--csv", csv}), kExportDone);
    const std::string text = Read(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 73056 + 1);
    EXPECT_NE(text.find("\n0,94610 2016-01-01 00Z,1015,20,19.2,10,90,9.26\n"), std::string::npos);
    EXPECT_NE(text.find("\n725,94610 2016-12-31 12Z,198,12345,-52.3,28,-9999,-9999\n"), std::string::npos);
}

// ------------------------------------------------------------ the program

#ifdef PROFILORA_EXPORT_PROGRAM
struct ProgramResult {
    int Status;
    std::string Out, Err;
};

ProgramResult RunProgram(const QStringList& Arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    process.setProcessEnvironment(env);
    process.start(PROFILORA_EXPORT_PROGRAM, Arguments);
    if (!process.waitForFinished(60000)) return {-1, {}, {}};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

TEST(ExportProgram, exitStatusAndStreams)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const char* text) {
        const QString path = QDir(dir.path()).filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    };
    const ProgramResult good = RunProgram({write("good.html", kGoodPage), "--csv"});
    EXPECT_EQ(good.Status, 0);
    EXPECT_EQ(good.Out, kGoodCsv);
    EXPECT_EQ(good.Err, "");

    const ProgramResult empty = RunProgram({write("empty.html", ""), "--csv"});
    EXPECT_EQ(empty.Status, 2);
    EXPECT_EQ(empty.Out, "");
    EXPECT_NE(empty.Err.find("File is missing data"), std::string::npos);

    const ProgramResult bad = RunProgram({write("bad.html", kBadNumberPage), "--csv"});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Out, "");
    EXPECT_NE(bad.Err.find("'12x' is not a valid floating point value"), std::string::npos);

    const ProgramResult missing = RunProgram({QDir(dir.path()).filePath("gone.html"), "--csv"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("gone.html"), std::string::npos);

    // The section and a movie in one run share the program's one
    // application object; the second picture output must not end it.
    const QString movie = QDir(dir.path()).filePath("m.gif");
    const ProgramResult both = RunProgram({write("p.html", kGoodPage), "--section", QDir(dir.path()).filePath("s.png"),
                                           "--gif", movie, "--levels", QDir(dir.path()).filePath("l.csv")});
    EXPECT_EQ(both.Status, 0) << both.Err;
    EXPECT_TRUE(QFileInfo::exists(movie));
}
#endif

}  // namespace
