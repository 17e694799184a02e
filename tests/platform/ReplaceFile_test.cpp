#include "platform/ReplaceFile.h"

#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

class ReplaceFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::FaultyFileSystem files;
    platform::ScopedPlatform guard{nullptr, nullptr, &files};

    std::string Path(const std::string& Name) const { return dir.path().toStdString() + "/" + Name; }
    std::string Read(const std::string& Name) const
    {
        std::ifstream in(Path(Name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::set<std::string> Names() const
    {
        std::set<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path().toStdString()))
            out.insert(e.path().filename().string());
        return out;
    }
};

TEST_F(ReplaceFile, replacesTheWholeFileAndLeavesNothingElse)
{
    platform::FileError error;
    ASSERT_TRUE(platform::ReplaceFile(Path("out.csv"), "a long first text", error));
    ASSERT_TRUE(platform::ReplaceFile(Path("out.csv"), "short", error));
    EXPECT_EQ(Read("out.csv"), "short");
    EXPECT_EQ(Names(), std::set<std::string>{"out.csv"});
}

// Every way the write can fail keeps the old file as it was and leaves no
// temporary file behind.
TEST_F(ReplaceFile, aFailureKeepsTheOldFileAndLeavesNoPart)
{
    struct Case {
        const char* What;
        std::string Target;
        bool FailWrite;
        bool FailAfterWriting;
    };
    std::filesystem::create_directory(Path("adir"));
    const Case cases[] = {
        {"write fails half way", "out.csv", true, false},
        {"close fails after writing", "out.csv", true, true},
        {"rename onto a directory", "adir", false, false},
        {"no file name", "sub/", false, false},
        {"empty path", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        {
            std::ofstream(Path("out.csv"), std::ios::binary) << "old";
        }
        files.FailWrite = c.FailWrite;
        files.FailAfterWriting = c.FailAfterWriting;
        platform::FileError error;
        const std::string target = c.Target.empty() ? std::string() : Path(c.Target);
        EXPECT_FALSE(platform::ReplaceFile(target, "new contents", error));
        EXPECT_FALSE(error.Message.empty());
        EXPECT_NE(error.Code, 0);
        EXPECT_EQ(Read("out.csv"), "old");
        EXPECT_EQ(Names(), (std::set<std::string>{"adir", "out.csv"}));
        EXPECT_TRUE(std::filesystem::is_directory(Path("adir")));
    }
}

TEST(PathParts, directoryAndName)
{
    EXPECT_EQ(platform::DirectoryOf("/a/b.csv"), "/a/");
    EXPECT_EQ(platform::NameOf("/a/b.csv"), "b.csv");
    EXPECT_EQ(platform::DirectoryOf("b.csv"), "");
    EXPECT_EQ(platform::NameOf("b.csv"), "b.csv");
    EXPECT_EQ(platform::NameOf("/a/"), "");
}

}  // namespace
