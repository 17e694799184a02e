// The exporter with the files people download: several inputs merged, the
// date options, and the twelve Wyoming months of Perth 2016 against the
// station page of that year.
#include "tools/Export.h"
#include "tools/ExportOptions.h"

#include "LocalHttpServer.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;
const std::string kData = PROFILORA_DATA_DIR;
const std::string kIgra = kData + "/USM00072403-data-beg2016.txt.zip";

std::string Month(int M) { return kData + "/wyoming_94610_2016_" + (M < 10 ? "0" : "") + std::to_string(M) + ".html"; }

TEST(ExportInputArguments, severalInputsAndDates)
{
    ExportOptions o;
    EXPECT_EQ(ParseExportArguments(
                  {"a.html", "b.zip", "--csv", "out.csv", "--from-date", "2016-06-01", "--to-date=2016-06-30"}, o),
              "");
    EXPECT_EQ(o.Inputs, (Args{"a.html", "b.zip"}));
    EXPECT_EQ(o.PagePath, "a.html");
    EXPECT_EQ(o.FromDate, "2016-06-01");
    EXPECT_EQ(o.ToDate, "2016-06-30");
    ASSERT_EQ(o.Targets.size(), 1u);
    EXPECT_EQ(o.Targets[0].Path, "out.csv");

    const std::pair<Args, const char*> refused[] = {
        {{"a.html", "--csv", "--from-date", "2016-6-01"}, "--from-date '2016-6-01' is not a date YYYY-MM-DD"},
        {{"a.html", "--csv", "--to-date", "2016-02-30x"}, "--to-date '2016-02-30x' is not a date YYYY-MM-DD"},
        {{"a.html", "--csv", "--to-date", "2016-00-10"}, "is not a date"},
        {{"a.html", "--csv", "--from-date", "2016-04-31"}, "is not a date"},
        {{"a.html", "--csv", "--from-date", "2015-02-29"}, "is not a date"},
        {{"a.html", "--csv", "--to-date", "1900-02-29"}, "is not a date"},
        {{"a.html", "--csv", "--from-date"}, "--from-date needs a value"},
        {{"a.html", "--csv", "--from-date", "2016-07-01", "--to-date", "2016-06-01"}, "lies after --to-date"},
        {{"a.html", "--csv", "--from-date", "2016-07-01", "--from-date", "2016-07-02"}, "given more than once"},
        {{"a.html", "--csv", "--from", "2"}, "--from applies to --png, --gif and --section only"},
    };
    for (const auto& [args, expected] : refused) {
        ExportOptions r;
        EXPECT_NE(ParseExportArguments(args, r).find(expected), std::string::npos) << expected;
    }
}

TEST(ExportInputArguments, stationsAndTheirOptions)
{
    ExportOptions o;
    EXPECT_EQ(ParseExportArguments({"--station", "usm00072403", "a.zip", "--station=USM00072469", "--period", "por",
                                    "--offline", "--csv", "out.csv", "--settings", "s.ini"},
                                   o),
              "");
    EXPECT_EQ(o.Stations, (Args{"USM00072403", "USM00072469"}));
    EXPECT_EQ(o.Inputs, Args{"a.zip"});
    EXPECT_EQ(o.Period, "por");
    EXPECT_TRUE(o.Offline);
    const std::pair<Args, const char*> refused[] = {
        {{"--station", "../../x/abcd", "--csv"}, "is not an IGRA station id"},
        {{"--station", "USM0007240", "--csv"}, "is not an IGRA station id"},
        {{"--station"}, "--station needs a station id"},
        {{"--station", "USM00072403", "--csv", "--period", "all"}, "--period 'all' is not por"},
        {{"a.html", "--csv", "--offline"}, "--offline applies to --station and --climatology-from only"},
        {{"a.html", "--csv", "--period", "por"}, "--period applies to --station only"},
    };
    for (const auto& [args, expected] : refused) {
        ExportOptions r;
        EXPECT_NE(ParseExportArguments(args, r).find(expected), std::string::npos) << expected;
    }
}

class ExportInputs : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::ostringstream out, err;
    int Run(const Args& A)
    {
        out.str("");
        err.str("");
        return RunExport(A, out, err);
    }
    std::string Path(const char* Name) const { return QDir(dir.path()).filePath(Name).toStdString(); }
};

std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The last field of a CSV row (the wind speed) and what comes before it.
std::pair<std::string, double> SplitWind(const std::string& Row)
{
    const std::size_t comma = Row.rfind(',');
    return {Row.substr(0, comma), std::atof(Row.c_str() + comma + 1)};
}

TEST_F(ExportInputs, twelveWyomingMonths_giveTheCsvOfTheStationPage)
{
    Args months;
    for (int m = 12; m >= 1; --m) months.push_back(Month(m));  // any order
    months.push_back("--csv");
    ASSERT_EQ(Run(months), kExportDone) << err.str();
    const std::vector<std::string> wyoming = Lines(out.str());
    ASSERT_EQ(Run({kData + "/Perth 2016.html", "--csv"}), kExportDone) << err.str();
    const std::vector<std::string> page = Lines(out.str());
    ASSERT_EQ(wyoming.size(), page.size());
    ASSERT_GT(page.size(), 1000u);
    EXPECT_EQ(wyoming[0], page[0]);
    for (std::size_t i = 1; i < page.size(); ++i) {
        const auto [w, ws] = SplitWind(wyoming[i]);
        const auto [p, ps] = SplitWind(page[i]);
        ASSERT_EQ(w, p) << "row " << i;
        ASSERT_NEAR(ws, ps, 0.01) << "row " << i;
    }
}

TEST_F(ExportInputs, datesNarrowEveryOutputAndFramesCountAfterThem)
{
    ASSERT_EQ(Run({kIgra, "--csv", "--from-date", "2016-06-29", "--to-date", "2016-07-01"}), kExportDone) << err.str();
    std::vector<std::string> titles;
    for (const std::string& row : Lines(out.str())) {
        const std::string title = row.substr(row.find(',') + 1, 20);
        if (row.rfind("sounding,", 0) != 0 && (titles.empty() || titles.back() != title)) titles.push_back(title);
    }
    EXPECT_EQ(titles, (Args{"72403 2016-06-29 00Z", "72403 2016-06-29 12Z", "72403 2016-06-30 00Z",
                            "72403 2016-06-30 12Z", "72403 2016-07-01 00Z", "72403 2016-07-01 12Z"}));

    // Six frames remain: --to 5 is the last of them, --to 6 lies beyond and
    // nothing is written.
    EXPECT_EQ(Run({kIgra, "--png", Path("frames"), "--from-date", "2016-06-29", "--to-date", "2016-07-01", "--from",
                   "4", "--to", "5", "--size", "64x48"}),
              kExportDone)
        << err.str();
    EXPECT_EQ(QDir(QString::fromStdString(Path("frames"))).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(Run({kIgra, "--gif", Path("m.gif"), "--from-date", "2016-06-29", "--to-date", "2016-07-01", "--to", "6",
                   "--size", "64x48"}),
              kExportFailed);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("m.gif"))));

    EXPECT_EQ(Run({kIgra, "--csv", Path("none.csv"), "--from-date", "2020-01-01"}), kExportNoData);
    EXPECT_NE(err.str().find("no sounding was launched from 2020-01-01"), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("none.csv"))));
}

TEST_F(ExportInputs, anUnreadableInput_writesNothing)
{
    const std::string bad = Path("notes.txt");
    FILE* f = std::fopen(bad.c_str(), "wb");
    std::fputs("no soundings\n", f);
    std::fclose(f);
    EXPECT_EQ(Run({Month(1), bad, "--csv", Path("o.csv")}), kExportFailed);
    EXPECT_NE(err.str().find("notes.txt: Bad data file"), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("o.csv"))));
}

// No input holds a sounding: 2 whatever the form (alone, in an archive,
// among several files). A damaged line leaves out its launch only: exit 0
// with the launch named on standard error, or 1 and nothing written under
// --strict.
TEST_F(ExportInputs, exitStatusOfEmptyInputsAndDamagedLaunches)
{
    auto write = [&](const char* Name, const std::string& Bytes) {
        FILE* f = std::fopen(Path(Name).c_str(), "wb");
        std::fwrite(Bytes.data(), 1, Bytes.size(), f);
        std::fclose(f);
        return Path(Name);
    };
    const std::string notes = write("notes.txt", "no soundings\n");
    const std::string emptyIgra = write("empty.txt", "#USM00072403 2016 01 01 00 2302    0 x\n");
    const std::string damaged = write("damaged.txt",
                                      "#USM00072403 2016 01 01 00 2302    1 ncdc-nws ncdc-nws  389767  -774864\n"
                                      "21     0 100982B   88    94B  627    67   340    10 \n"
                                      "#USM00072403 2016 01 01 12 1105    1 ncdc-nws ncdc-nws  389767  -774864\n"
                                      "21     0 10098xB   88    44B  640 -8888     0     0 \n");
    const std::string gz =
        write("notes.txt.gz", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff\xcb\xcb\x57\x28\xce"
                                          "\x2f\xcd\x4b\xc9\xcc\x4b\x2f\xe6\x02\x00\xae\xf2\x47"
                                          "\xf3\x0d\x00\x00\x00",
                                          33));
    struct Case {
        Args Arguments;
        int Status;
        const char* Message;
    };
    const Case cases[] = {
        {{notes, "--csv", Path("o.csv")}, kExportNoData, "missing data"},
        {{gz, "--csv", Path("o.csv")}, kExportNoData, "Bad data file"},
        {{emptyIgra, "--levels", Path("o.csv")}, kExportNoData, "holds no sounding"},
        {{notes, emptyIgra, "--csv", Path("o.csv")}, kExportNoData, "notes.txt"},
        {{damaged, "--csv", Path("o.csv")}, kExportDone, "line 4: launch 72403 2016-01-01 12Z skipped"},
        {{damaged, "--strict", "--csv", Path("o.csv")}, kExportFailed, "1 launch skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.front());
        QFile::remove(QString::fromStdString(Path("o.csv")));
        EXPECT_EQ(Run(c.Arguments), c.Status) << err.str();
        EXPECT_NE(err.str().find(c.Message), std::string::npos) << err.str();
        EXPECT_EQ(QFile::exists(QString::fromStdString(Path("o.csv"))), c.Status == kExportDone);
    }
}

}  // namespace

namespace {

// --station against a local server standing in for the archive, with the
// cache in a temporary folder.
TEST_F(ExportInputs, aStationIsDownloadedIntoTheCacheAndReadLikeItsFile)
{
    setenv("XDG_CACHE_HOME", dir.path().toStdString().c_str(), 1);
    const std::string station = testfiles::Slurp(kIgra);
    testhttp::TLocalHttpServer server;
    std::string answer = "file";
    server.Answer = [&](QTcpSocket& S, const testhttp::TSeen& R) {
        if (answer == "closed")
            S.disconnectFromHost();
        else if (R.Path == "/access/data-y2d/")
            testhttp::TLocalHttpServer::Reply(S, 200, "", "USM00072403-data-beg2016.txt.zip");
        else if (answer == "file" && R.Path == "/access/data-y2d/USM00072403-data-beg2016.txt.zip")
            testhttp::TLocalHttpServer::Reply(S, 200, "", station);
        else
            testhttp::TLocalHttpServer::Reply(S, 404, "", "");
    };
    const std::string settings = Path("s.ini");
    testfiles::Put(settings, "[Sources]\nIGRA=" + server.Base() + "\n");

    ASSERT_EQ(Run({kIgra, "--csv", Path("direct.csv")}), 0) << err.str();
    ASSERT_EQ(Run({"--station", "USM00072403", "--settings", settings, "--csv", Path("station.csv")}), 0) << err.str();
    EXPECT_EQ(testfiles::Slurp(Path("station.csv")), testfiles::Slurp(Path("direct.csv")));
    EXPECT_EQ(testfiles::Slurp(Path("profilora/igra/USM00072403-data-beg2016.txt.zip")), station);

    // Without the server, the cached copy; offline, no request at all.
    answer = "closed";
    EXPECT_EQ(Run({"--station", "USM00072403", "--settings", settings, "--csv", Path("again.csv")}), 0) << err.str();
    EXPECT_NE(err.str().find("The offline copy of"), std::string::npos) << err.str();
    const std::size_t requests = server.Requests.size();
    EXPECT_EQ(Run({"--station", "USM00072403", "--offline", "--csv", Path("offline.csv")}), 0) << err.str();
    EXPECT_EQ(server.Requests.size(), requests);

    // A station the archive lacks: exit 1 with the message, nothing written.
    answer = "none";
    EXPECT_EQ(Run({"--station", "USM00072469", "--settings", settings, "--csv", Path("none.csv")}), 1);
    EXPECT_NE(err.str().find("The archive at 127.0.0.1 has no file for USM00072469 (this year)."), std::string::npos)
        << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("none.csv"))));
    unsetenv("XDG_CACHE_HOME");
}

}  // namespace

namespace {

// --clear-cache empties the download cache of its own files, alone or
// before the export.
TEST_F(ExportInputs, clearCacheEmptiesTheDownloadCache)
{
    setenv("XDG_CACHE_HOME", dir.path().toStdString().c_str(), 1);
    const std::string cache = Path("profilora/igra") + "/";
    QDir().mkpath(QString::fromStdString(cache));
    for (const char* name : {"USM00072403-data.txt.zip", "USM00072403-data.txt.zip.meta", ".pf1-0.part"})
        testfiles::Put(cache + name, "x");
    testfiles::Put(cache + "notes.txt", "the user's own");
    EXPECT_EQ(Run({"--clear-cache"}), kExportDone) << err.str();
    EXPECT_EQ(err.str(), "profilora-export: the download cache (" + cache + ") is empty\n");
    EXPECT_EQ(QDir(QString::fromStdString(cache)).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});
    EXPECT_NE(ExportUsage().find("--clear-cache"), std::string::npos);
    unsetenv("XDG_CACHE_HOME");
}

}  // namespace
