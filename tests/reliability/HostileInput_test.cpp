// Things that are not sounding pages where a page is expected, and pages
// that are far larger or stranger than real ones. Each gives a clear
// message or a sensible result; none crashes, and none blocks (a FIFO is
// refused without waiting for a writer).
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"
#include "sounding/LapseRates.h"
#include "tools/Export.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <random>
#include <sstream>
#include <thread>

namespace {

const std::string kPage =
    "<!-- end: NCDC PAGE HEADER -->\n<table>\n<TR><TD align='center'>dpdiff_C</TD></TR>\n"
    "<TR><TD align='center'>A 00Z</TD><TD align='center'>1000</TD><TD align='center'>100</TD>"
    "<TD align='center'>15</TD><TD align='center'>2</TD><TD align='center'>90</TD><TD align='center'>5</TD></TR>\n"
    "</table>\n<!-- NCDC PAGE FOOTER -->\n";

// Runs Work on its own thread and fails, instead of hanging the suite, when
// it has not come back after a generous while; Unblock then frees it.
template <typename Work, typename Unblock>
void WithoutBlocking(Work&& W, Unblock&& U)
{
    auto done = std::async(std::launch::async, std::forward<Work>(W));
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked";
        U();
    }
    done.get();
}

// A FIFO with nobody writing to it; opening it for writing frees a reader
// that blocked on it.
void FreeFifo(const std::string& Path)
{
    const int fd = ::open(Path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sys.Program = Path("profilora");
    }
    std::string Path(const std::string& Name) const { return dir.filePath(QString::fromStdString(Name)).toStdString(); }
    std::string Write(const std::string& Name, const std::string& Bytes) const
    {
        std::ofstream(Path(Name), std::ios::binary) << Bytes;
        return Path(Name);
    }
    std::string Fifo(const std::string& Name) const
    {
        const std::string p = Path(Name);
        EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
        return p;
    }

    QTemporaryDir dir;
    platform::FakePrompts prompts;
    platform::FakeSystem sys;
    platform::ScopedPlatform guard{&prompts, &sys, nullptr};
};

// ---------------------------------------------------------------- the window's road

// The page component reads into the hidden text control as the window does.
// A read that fails names the file and leaves the previous page in place.
TEST_F(HostileInput, notAPageWhereAPageIsExpected)
{
    struct Case {
        const char* what;
        std::string path;
        const char* message;  // the start of the failure's message
    };
    const std::vector<Case> cases{
        {"directory", dir.path().toStdString(), "File not found\n\n        "},
        {"FIFO without a writer", Fifo("pipe.html"), "Cannot open file \""},
        {"missing file", Path("gone.html"), "File not found\n\n        "},
    };
    TRichEdit carrier;
    TjtFile_IO html(nullptr);
    html.SetControl(&carrier);
    html.OpenFile(Write("previous.html", kPage));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WithoutBlocking(
            [&] {
                try {
                    html.OpenFile(c.path);
                    ADD_FAILURE() << "no failure";
                } catch (const EFOpenError& e) {
                    EXPECT_EQ(e.Message().rfind(c.message, 0), 0u) << e.Message();
                    EXPECT_NE(e.Message().find(c.path), std::string::npos) << e.Message();
                    EXPECT_EQ(e.Message().find("Invalid argument"), std::string::npos) << e.Message();
                }
            },
            [&] { FreeFifo(c.path); });
        EXPECT_EQ(carrier.Text(), kPage);
    }
}

// The user picks a page in the dialog; it is deleted before it is read.
TEST_F(HostileInput, pageVanishesBetweenDialogAndRead)
{
    const std::string page = Write("soundings.html", kPage);
    TRichEdit carrier;
    TjtFile_IO dialog(nullptr), html(nullptr);
    html.SetControl(&carrier);
    prompts.OpenAnswers.push_back(page);
    std::string failure;
    dialog.OnOpen = [&](QObject*, std::string Chosen) {
        ASSERT_TRUE(QFile::remove(QString::fromStdString(Chosen)));
        try {
            html.OpenFile(Chosen);
        } catch (const EFOpenError& e) {
            failure = e.Message();
        }
    };
    dialog.FileOpen();
    EXPECT_EQ(failure, "File not found\n\n        " + page);
    EXPECT_EQ(carrier.Text(), "");
}

// The file is there when asked, and gone when read.
TEST_F(HostileInput, pageVanishesAfterItWasFound)
{
    struct Vanishing : platform::LocalFileSystem {
        bool FileExists(const std::string&) const override { return true; }
        bool ReadAll(const std::string& Path, std::string&, platform::FileError& Error) override
        {
            Error = {"Cannot open file \"" + Path + "\". No such file or directory", 2};
            return false;
        }
    } files;
    platform::ScopedPlatform local(&prompts, &sys, &files);
    TRichEdit carrier;
    TjtFile_IO html(nullptr);
    html.SetControl(&carrier);
    std::string offered;
    html.OnReadError = [&](QObject*, std::string Name, Exception& E) {
        offered = Name + ": " + E.Message();
        return false;
    };
    const std::string page = Path("soundings.html");
    try {
        html.OpenFile(page);
        ADD_FAILURE() << "no failure";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(page), std::string::npos);
    }
    EXPECT_EQ(offered.rfind(page + ": Cannot open file", 0), 0u) << offered;
}

// The exporter refuses a FIFO at once and names it, writing nothing.
TEST_F(HostileInput, exporterRefusesFifo)
{
    const std::string fifo = Fifo("pipe.html");
    const std::string csv = Path("out.csv");
    std::ostringstream out, err;
    int status = -1;
    WithoutBlocking([&] { status = RunExport({fifo, "--csv", csv}, out, err); }, [&] { FreeFifo(fifo); });
    EXPECT_EQ(status, kExportFailed);
    EXPECT_NE(err.str().find(fifo), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(csv)));
}

// ---------------------------------------------------------------- pages far from real ones

std::string Body(const std::string& Tables)
{
    return "<!-- end: NCDC PAGE HEADER -->" + Tables + "<!-- NCDC PAGE FOOTER -->";
}

TEST_F(HostileInput, millionEmptyTablesGiveMillionEmptySoundings)
{
    std::string tables;
    tables.reserve(16 * 1000000);
    for (int i = 0; i < 1000000; ++i) tables += "<table></table>\n";
    TLapseRates set;
    long calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    set.LoadPage(Body(tables));
    ASSERT_EQ(set.Count(), 1000000);
    EXPECT_EQ(calls, 1000000);
    for (const TSounding& s : set.Soundings) {
        ASSERT_TRUE(s.Levels.empty());
        ASSERT_EQ(s.Title, "");
    }
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(HostileInput, rowOfHundredThousandCellsGivesOneLevel)
{
    std::string row = "<TR><TD align='center'>wide</TD>";
    for (int i = 0; i < 100000; ++i) row += "<TD align='center'>" + std::to_string(i + 1) + "</TD>";
    row += "</TR>";
    TLapseRates set;
    set.LoadPage(Body("<table><TR><TD align='center'>dpdiff_C</TD></TR>" + row + "</table>"));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Soundings[0].Title, "wide");
    ASSERT_EQ(set.Soundings[0].Levels.size(), 1u);
    const TSoundingLevel& l = set.Soundings[0].Levels[0];
    EXPECT_EQ(l.Pressure, 1);
    EXPECT_EQ(l.WindSpeed, 6);
}

// Random bytes, alone or between the page markers, with scraps of tables
// and cells among them: a message, a failure on a cell, or soundings, but
// never a crash.
TEST_F(HostileInput, randomBytesAreReadSafely)
{
    const std::vector<std::string> scraps{"<table", "</table>", "dpdiff_C</TD>", "<TR>", "</TR>",
                                          "<TD align='center'>", "</TD>", "center'>", "1e39", "-"};
    std::mt19937 random(8);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(200000, '\0');
        for (char& c : bytes) c = char(random());
        if (round % 2) {
            for (int k = 0; k < 2000; ++k) {
                const std::string& s = scraps[random() % scraps.size()];
                bytes.replace(random() % (bytes.size() - s.size()), s.size(), s);
            }
            bytes = Body(bytes);
        }
        prompts.Boxes.clear();
        TLapseRates set;
        TPageLoad result = TPageLoad::Read;
        try {
            result = set.LoadPage(bytes);
        } catch (const EConvertError& e) {
            EXPECT_NE(e.Message().find("is not a valid floating point value"), std::string::npos);
        }
        if (round % 2 == 0) {
            EXPECT_EQ(result, TPageLoad::MissingData);
            EXPECT_EQ(set.Count(), 0);
        }
        for (const TSounding& s : set.Soundings)
            for (const TSoundingLevel& l : s.Levels) EXPECT_GE(l.Temperature, -500);
    }
}

}  // namespace

namespace {

// A settings file of 100,000 sections, in the order the component writes
// them: every section is found and read, and a save writes them all back.
// (Scrambled, the same file takes seconds, since every new section is
// inserted into the sorted index; scripts/stress measures that case.)
TEST_F(HostileInput, settingsFileOfHundredThousandSections)
{
    constexpr int kSections = 100000;
    auto name = [](int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "Section %06d", i);
        return std::string(buf);
    };
    std::string text = "top = 1\r\n";
    for (int i = 0; i < kSections; ++i) {
        text += '[';
        text += name(i);
        text += "]\r\nkey = ";
        text += std::to_string(i);
        text += "\r\n";
    }
    Write("profilora.ini", text);

    TjtINI_File ini(nullptr);
    ini.SetIgnore_CmdLine(true);
    int reads = 0;
    ini.OnReadComplete = [&](QObject*) { ++reads; };
    ini.Loaded();
    EXPECT_EQ(reads, 1);
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.size(), size_t(kSections) + 1);
    EXPECT_EQ(sections.front(), "__StartOfFile");
    for (int i : {0, 1, 4711, kSections - 1})
        EXPECT_EQ(ini.ReadInteger(jtini::UpperAZ(name(i)), "KEY"), i);

    ini.SetWriteMode(jtWM_Generate);
    ini.FileSave();
    TjtINI_File again(nullptr);
    again.SetIgnore_CmdLine(true);
    again.Loaded();
    std::vector<std::string> reread;
    again.ReadSections(reread);
    EXPECT_EQ(reread, sections);
}

}  // namespace
