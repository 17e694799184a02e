// What profilora-export may write: every kind of target an output can name,
// and what must be left as it was when the target is refused or the write
// fails.
#include "tools/Export.h"

#include "platform/Fakes.h"

#include "support/PageBuilder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Args = std::vector<std::string>;

std::string OnePage() { return pages::Page(pages::Table(pages::Row("L1", {"1000", "100", "15.5", "2", "90", "5"}))); }

const char* const kCsv =
    "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n"
    "0,L1,1000,100,15.5,2,90,5\n";

std::string ReadBytes(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

void WriteBytes(const std::string& Path, const std::string& Bytes) { std::ofstream(Path, std::ios::binary) << Bytes; }

std::set<std::string> Names(const std::string& Dir)
{
    std::set<std::string> names;
    for (const QString& n : QDir(QString::fromStdString(Dir))
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        names.insert(n.toStdString());
    return names;
}

TEST(OutputSafety, everyKindOfTarget)
{
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    platform::ScopedPlatform guard{&prompts, &system, nullptr};

    struct Case {
        const char* Name;
        // Makes the target in Dir (beside page.html and settings.ini) and
        // returns the arguments after the page.
        std::function<Args(const std::string& Dir)> Setup;
        int Status;
        const char* Message;  // in the error text; "" for none
        // The target's contents afterwards; nullptr: not checked.
        const char* After;
        bool FailWrite = false;
    };
    const std::string longName(255 - 4, 'n');
    const std::vector<Case> cases = {
        {"an existing file is replaced",
         [](const std::string& D) {
             WriteBytes(D + "/out.csv", "old");
             return Args{"--csv", D + "/out.csv"};
         },
         kExportDone, "", kCsv},
        {"the page by another spelling",
         [](const std::string& D) {
             return Args{"--csv", D + "/./sub/../page.html"};
         },
         kExportFailed, "is the input file", nullptr},
        {"a hard link to the page",
         [](const std::string& D) {
             ::link((D + "/page.html").c_str(), (D + "/linked.csv").c_str());
             return Args{"--csv", D + "/linked.csv"};
         },
         kExportFailed, "is the input file", nullptr},
        {"a symbolic link to the page",
         [](const std::string& D) {
             ::symlink((D + "/page.html").c_str(), (D + "/sym.gif").c_str());
             return Args{"--gif", D + "/sym.gif"};
         },
         kExportFailed, "is the input file", nullptr},
        {"the settings file",
         [](const std::string& D) {
             return Args{"--settings", D + "/settings.ini", "--gif", D + "/settings.ini"};
         },
         kExportFailed, "is the input file", nullptr},
        {"a PNG frame that is the page",
         [](const std::string& D) {
             ::symlink((D + "/page.html").c_str(), (D + "/sub/frame_0000.png").c_str());
             return Args{"--png", D + "/sub"};
         },
         kExportFailed, "is the input file", nullptr},
        {"a write-protected file",
         [](const std::string& D) {
             WriteBytes(D + "/ro.csv", "protected");
             ::chmod((D + "/ro.csv").c_str(), 0444);
             return Args{"--csv", D + "/ro.csv"};
         },
         kExportFailed, "write-protected", "protected"},
        {"a write-protected file beside a good output",
         [](const std::string& D) {
             WriteBytes(D + "/ro.gif", "protected");
             ::chmod((D + "/ro.gif").c_str(), 0444);
             return Args{"--csv", D + "/fine.csv", "--gif", D + "/ro.gif"};
         },
         kExportFailed, "write-protected", "protected"},
        {"a name of 255 bytes",
         [&longName](const std::string& D) {
             return Args{"--csv", D + "/" + longName + ".csv"};
         },
         kExportDone, "", kCsv},
        {"standard output",
         [](const std::string&) {
             return Args{"--csv", "-"};
         },
         kExportDone, "", nullptr},
        {"a failing write keeps the old file",
         [](const std::string& D) {
             WriteBytes(D + "/out.csv", "old");
             return Args{"--csv", D + "/out.csv"};
         },
         kExportFailed, "cannot write", "old", true},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const std::string d = dir.path().toStdString();
        const std::string page = d + "/page.html";
        WriteBytes(page, OnePage());
        WriteBytes(d + "/settings.ini", "[Temperature]\n");
        QDir().mkpath(QString::fromStdString(d + "/sub"));
        Args args{page};
        for (const std::string& a : c.Setup(d)) args.push_back(a);
        const std::string target = args.back();
        const std::set<std::string> before = Names(d), subBefore = Names(d + "/sub");
        const std::string settingsBefore = ReadBytes(d + "/settings.ini");

        platform::FaultyFileSystem faulty;
        faulty.FailWrite = c.FailWrite;
        if (c.FailWrite) platform::SetFiles(&faulty);
        std::ostringstream out, err;
        const int status = RunExport(args, out, err);
        platform::SetFiles(nullptr);

        EXPECT_EQ(status, c.Status) << err.str();
        if (*c.Message) {
            EXPECT_NE(err.str().find(c.Message), std::string::npos) << err.str();
        }
        if (c.After) {
            EXPECT_EQ(ReadBytes(target), c.After);
        }
        if (target == "-") {
            EXPECT_EQ(out.str(), kCsv);
        }
        // Inputs are never touched, and a refused or failed export leaves
        // nothing new behind.
        EXPECT_EQ(ReadBytes(page), OnePage());
        EXPECT_EQ(ReadBytes(d + "/settings.ini"), settingsBefore);
        if (status != kExportDone) {
            EXPECT_EQ(Names(d), before);
            EXPECT_EQ(Names(d + "/sub"), subBefore);
        } else {
            std::set<std::string> expected = before;
            if (target != "-") expected.insert(target.substr(d.size() + 1));
            EXPECT_EQ(Names(d), expected);
        }
    }
}

// A FIFO takes the CSV as it is written and stays a FIFO.
TEST(OutputSafety, aFifoIsWrittenStraightThrough)
{
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    const std::string page = d + "/page.html", fifo = d + "/pipe";
    WriteBytes(page, OnePage());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string received;
    std::thread reader([&] { received = ReadBytes(fifo); });
    std::ostringstream out, err;
    EXPECT_EQ(RunExport({page, "--csv", fifo}, out, err), kExportDone) << err.str();
    reader.join();
    EXPECT_EQ(received, kCsv);
    struct stat st;
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(Names(d), (std::set<std::string>{"page.html", "pipe"}));
}

// Every input, wherever it stands on the command line, is protected from
// every output, and is checked before it is read: a FIFO or a device among
// the inputs is refused at once instead of being read forever.
TEST(OutputSafety, everyInputInEveryPosition)
{
    struct Case {
        const char* Name;
        std::function<Args(const std::string& Dir)> Make;
        int Status;
        const char* Message;
    };
    const std::vector<Case> cases = {
        {"--csv over the second input",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/b.html", "--csv", D + "/b.html"};
         },
         kExportFailed, "is the input file"},
        {"--levels over the second input by another spelling",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/b.html", "--levels", D + "/sub/../b.html"};
         },
         kExportFailed, "is the input file"},
        {"--section over the third input",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/a.html", D + "/b.html", "--section", D + "/b.html"};
         },
         kExportFailed, "is the input file"},
        {"--gif over a later .gz input",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/c.gz", "--gif", D + "/c.gz"};
         },
         kExportFailed, "is the input file"},
        {"a FIFO after another input",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/fifo", "--csv", D + "/out.csv"};
         },
         kExportFailed, "not a regular file"},
        {"/dev/zero after another input",
         [](const std::string& D) {
             return Args{D + "/a.html", "/dev/zero", "--csv", D + "/out.csv"};
         },
         kExportFailed, "not a regular file"},
        {"a folder after another input",
         [](const std::string& D) {
             return Args{D + "/a.html", D + "/sub", "--csv", D + "/out.csv"};
         },
         kExportFailed, "folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const std::string d = dir.path().toStdString();
        WriteBytes(d + "/a.html", OnePage());
        WriteBytes(d + "/b.html", OnePage());
        QDir().mkpath(QString::fromStdString(d + "/sub"));
        ASSERT_EQ(::mkfifo((d + "/fifo").c_str(), 0644), 0);
        {
            std::ifstream gz(std::string(PROFILORA_DATA_DIR) + "/USM00072403-data-beg2016.txt.zip", std::ios::binary);
            std::ofstream(d + "/c.gz", std::ios::binary) << gz.rdbuf();
        }
        const std::string gzBefore = ReadBytes(d + "/c.gz");
        std::ostringstream out, err;
        EXPECT_EQ(RunExport(c.Make(d), out, err), c.Status) << err.str();
        EXPECT_NE(err.str().find(c.Message), std::string::npos) << err.str();
        EXPECT_EQ(ReadBytes(d + "/b.html"), OnePage());
        EXPECT_EQ(ReadBytes(d + "/c.gz"), gzBefore);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(d + "/out.csv")));
    }
}

// A symbolic link names where the output goes: a link to a file has that
// file replaced (its mode kept, the link left a link), and "-" is standard
// output for every text output.
TEST(OutputSafety, linksModesAndStandardOutput)
{
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    WriteBytes(d + "/page.html", OnePage());
    QDir().mkpath(QString::fromStdString(d + "/real"));
    WriteBytes(d + "/real/out.csv", "old");
    ::chmod((d + "/real/out.csv").c_str(), 0600);
    ASSERT_EQ(::symlink("real/out.csv", (d + "/link.csv").c_str()), 0);
    std::ostringstream out, err;
    ASSERT_EQ(RunExport({d + "/page.html", "--csv", d + "/link.csv", "--levels", "-"}, out, err), kExportDone)
        << err.str();
    EXPECT_EQ(ReadBytes(d + "/real/out.csv"), kCsv);
    struct stat st;
    ASSERT_EQ(::lstat((d + "/link.csv").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat((d + "/real/out.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(out.str().rfind("sounding,title,surface_height", 0), 0u) << out.str();
    EXPECT_EQ(Names(d), (std::set<std::string>{"link.csv", "page.html", "real"}));
    EXPECT_EQ(Names(d + "/real"), (std::set<std::string>{"out.csv"}));

    // An open descriptor (what /dev/stdout names) is written through, never
    // renamed over: the file behind it is the same file afterwards.
    const int fd = ::open((d + "/redirect.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    struct stat before;
    ASSERT_EQ(::fstat(fd, &before), 0);
    std::ostringstream out2, err2;
    EXPECT_EQ(RunExport({d + "/page.html", "--csv", "/proc/self/fd/" + std::to_string(fd)}, out2, err2), kExportDone)
        << err2.str();
    ::close(fd);
    ASSERT_EQ(::stat((d + "/redirect.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, before.st_ino);
    EXPECT_EQ(ReadBytes(d + "/redirect.txt"), kCsv);
}

}  // namespace
