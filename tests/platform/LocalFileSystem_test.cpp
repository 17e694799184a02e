// The real file system behind platform::files(): moves that never
// overwrite, and reads that refuse what is no regular file or too large.
#include "platform/CorePlatform.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class LocalFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::LocalFileSystem fs;
    std::string path(const char* name) { return (dir.path() + "/" + name).toStdString(); }
    void write(const char* name, const std::string& text) { std::ofstream(path(name)) << text; }
};

TEST_F(LocalFiles, moveNeverOverwrites)
{
    write("a", "A");
    write("b", "B");
    EXPECT_FALSE(fs.MoveFile(path("a"), path("b")));
    std::string s;
    platform::FileError e;
    ASSERT_TRUE(fs.ReadAll(path("b"), s, e));
    EXPECT_EQ(s, "B");
    EXPECT_TRUE(fs.MoveFile(path("a"), path("c")));
    EXPECT_FALSE(fs.FileExists(path("a")));
    ASSERT_TRUE(fs.ReadAll(path("c"), s, e));
    EXPECT_EQ(s, "A");
}

// A page larger than memory is refused in words, not with an exception.
TEST_F(LocalFiles, readRefusesAFileLargerThanMemory)
{
    const std::string big = path("big.html");
    {
        std::ofstream(big) << "";
    }
    // Sparse: no disk is used. 8 TB is more than any test machine's memory.
    if (::truncate(big.c_str(), off_t(1) << 43) != 0) GTEST_SKIP() << "no sparse file of 8 TB here";
    std::string s = "kept";
    platform::FileError e;
    EXPECT_FALSE(fs.ReadAll(big, s, e));
    EXPECT_EQ(e.Code, ENOMEM);
    EXPECT_NE(e.Message.find("too large to load: 8796093022208 bytes"), std::string::npos) << e.Message;
    EXPECT_EQ(s, "kept");
}

TEST_F(LocalFiles, readRefusesDirectoriesAndFifos)
{
    std::string s;
    platform::FileError e;
    EXPECT_FALSE(fs.ReadAll(dir.path().toStdString(), s, e));
    EXPECT_FALSE(e.Message.empty());
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(fs.ReadAll(path("fifo"), s, e));  // must not block
    EXPECT_FALSE(fs.ReadAll(path("missing"), s, e));
    EXPECT_FALSE(fs.FileExists(dir.path().toStdString()));
}

}  // namespace
