#include "support/TestFiles.h"
#include "components/jtSysUtils.h"
#include "components/jtTextFile.h"
#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using testfiles::Slurp;

TEST(TextFile, readsLinesWithEveryLineEnd)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.txt").toStdString();
    std::ofstream(path, std::ios::binary) << "one\r\ntwo\nthree\rfour";
    TTextFile f(path);
    f.Reset();
    std::vector<std::string> lines;
    while (!f.Eof()) lines.push_back(f.ReadLine());
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST(TextFile, writesCrLfOnlyWhenClosed)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("b.ini").toStdString();
    TTextFile f(path);
    f.Rewrite();
    f.WriteLine("[A]");
    f.WriteLine("k = v");
    EXPECT_EQ(Slurp(path), "");
    f.Close();
    EXPECT_EQ(Slurp(path), "[A]\r\nk = v\r\n");
}

TEST(TextFile, missingFileRaisesWithErrorCode)
{
    TTextFile f("/nonexistent/dir/x.txt");
    try {
        f.Reset();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_NE(e.ErrorCode, 0);
        EXPECT_FALSE(e.Message().empty());
    }
}

TEST(TextFile, failedWriteIsReportedByClose)
{
    QTemporaryDir dir;
    platform::FaultyFileSystem files;
    platform::ScopedPlatform guard(nullptr, nullptr, &files);
    TTextFile f(dir.filePath("c.txt").toStdString());
    f.Rewrite();
    f.WriteLine("data");
    files.FailWrite = true;
    EXPECT_THROW(f.Close(), EInOutError);
    EXPECT_FALSE(f.IsOpen());
}

}  // namespace
