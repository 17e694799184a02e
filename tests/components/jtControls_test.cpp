// The controls a file component binds.
#include "support/TestFiles.h"
#include "components/jtControls.h"
#include "components/jtSysUtils.h"
#include "platform/Fakes.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using testfiles::Slurp;
using testfiles::Put;

class Controls : public ::testing::Test {
protected:
    platform::FaultyFileSystem files;
    platform::ScopedPlatform guard{nullptr, nullptr, &files};
    QTemporaryDir tmp;
    std::string dir = tmp.path().toStdString() + "/";
};

// ---------------------------------------------------------------- text

TEST_F(Controls, memoKinds_haveTheirOwnClassNames)
{
    TMemo memo;
    TRichEdit rich;
    EXPECT_STREQ(memo.metaObject()->className(), "TMemo");
    EXPECT_STREQ(rich.metaObject()->className(), "TRichEdit");
    EXPECT_NE(dynamic_cast<TCustomMemo*>(&rich), nullptr);
}

TEST_F(Controls, memoLoad_keepsTheBytesUnchanged_andClearsModified)
{
    std::string bytes("<html>\r\n\0\x01\xfe\xff\r\n\n\r", 16);
    for (int i = 0; i < 256; ++i) bytes += char(i);
    Put(dir + "page.html", bytes);
    TRichEdit rich;
    rich.SetModified(true);
    rich.LoadFromFile(dir + "page.html");
    EXPECT_EQ(rich.Text(), bytes);
    EXPECT_FALSE(rich.Modified());
}

TEST_F(Controls, memoLoadFailure_keepsTheOldText)
{
    TMemo memo;
    memo.SetText("kept");
    memo.SetModified(true);
    for (const std::string& bad : {dir + "missing.txt", dir, std::string()}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(memo.LoadFromFile(bad), EFOpenError);
        EXPECT_EQ(memo.Text(), "kept");
        EXPECT_TRUE(memo.Modified());
    }
}

TEST_F(Controls, memoSave_writesEveryByte_andReportsFailuresWithTheirCode)
{
    const std::string bytes("a\0b\r\nc", 6);
    TMemo memo;
    memo.SetText(bytes);
    memo.SaveToFile(dir + "out.txt");
    EXPECT_EQ(Slurp(dir + "out.txt"), bytes);

    files.FailWrite = true;
    files.FailWriteCode = ENOSPC;
    try {
        memo.SaveToFile(dir + "out2.txt");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, ENOSPC);
    }
    files.FailWrite = false;
    try {
        memo.SaveToFile(dir + "no/such/dir.txt");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, ENOENT);
    }
}

TEST_F(Controls, memoTextSetByTheProgram_isUnmodified)
{
    TMemo memo;
    memo.SetModified(true);
    memo.SetText("x");
    EXPECT_FALSE(memo.Modified());
    memo.SetModified(true);
    memo.Clear();
    EXPECT_EQ(memo.Text(), "");
    EXPECT_FALSE(memo.Modified());
}

TEST_F(Controls, largePage_staysOneStringAndBuildsNoDocument)
{
    // 20 MB of table rows, as a long sounding page.
    std::string page;
    page.reserve(20u << 20);
    const std::string row = "<tr><td>1000</td><td>110</td><td>21.4</td><td>3.2</td></tr>\r\n";
    while (page.size() < (20u << 20)) page += row;
    Put(dir + "big.html", page);
    page.clear();
    page.shrink_to_fit();

    TRichEdit rich;
    rich.resize(200, 100);
    rich.LoadFromFile(dir + "big.html");
    ASSERT_EQ(rich.Text().size() % row.size(), 0u);
    EXPECT_GE(rich.Text().size(), 20u << 20);
    EXPECT_EQ(rich.Text().compare(0, row.size(), row), 0);
    // The page is held once, not in a buffer twice its size.
    EXPECT_LE(rich.Text().capacity(), rich.Text().size() + rich.Text().size() / 8 + 65536);
    rich.grab();  // painting must not lay the text out either
    EXPECT_TRUE(rich.findChildren<QTextDocument*>().isEmpty());
}

// ---------------------------------------------------------------- image

class ImageControl : public Controls {
protected:
    void SetUp() override
    {
        QImage picture(5, 4, QImage::Format_RGB32);
        picture.fill(Qt::green);
        ASSERT_TRUE(picture.save(QString::fromStdString(dir + "green.png"), "png"));
        ASSERT_TRUE(picture.save(QString::fromStdString(dir + "green.bmp"), "bmp"));
        ASSERT_TRUE(picture.save(QString::fromStdString(dir + "upper.PNG"), "png"));
        // A real picture under a name that claims another format.
        ASSERT_TRUE(picture.save(QString::fromStdString(dir + "mislabelled.bmp"), "png"));
        Put(dir + "garbage.png", "\x89PNG but not really");
        Put(dir + "picture.xyz", "x");
        Put(dir + "noextension", "x");
    }
    TImage image;
};

TEST_F(ImageControl, load_choosesTheFormatByExtension)
{
    struct Case {
        const char* name;
        bool loads;
        const char* format;
    };
    const Case cases[] = {
        {"green.png", true, "png"},
        {"green.bmp", true, "bmp"},
        {"upper.PNG", true, "png"},
        {"mislabelled.bmp", false, ""},
        {"garbage.png", false, ""},
        {"picture.xyz", false, ""},
        {"noextension", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image.SetGraphic(QImage(1, 1, QImage::Format_RGB32), "bmp");
        if (c.loads) {
            image.LoadFromFile(dir + c.name);
            EXPECT_EQ(image.Graphic().size(), QSize(5, 4));
            EXPECT_EQ(image.GraphicFormat(), c.format);
            EXPECT_FALSE(image.Modified());
        } else {
            EXPECT_THROW(image.LoadFromFile(dir + c.name), EInvalidGraphic);
            EXPECT_EQ(image.Graphic().size(), QSize(1, 1));  // old picture kept
        }
    }
}

TEST_F(ImageControl, missingFile_isAnOpenFailure)
{
    EXPECT_THROW(image.LoadFromFile(dir + "missing.png"), EFOpenError);
}

TEST_F(ImageControl, unknownExtension_namesIt)
{
    try {
        image.LoadFromFile(dir + "picture.xyz");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
    }
}

TEST_F(ImageControl, modifiedFlag_belongsToTheGraphic)
{
    EXPECT_FALSE(image.HasGraphic());
    image.SetModified(true);
    EXPECT_FALSE(image.Modified());
    image.SetGraphic(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_TRUE(image.Modified());
    image.SetModified(false);
    EXPECT_FALSE(image.Modified());
    image.SetModified(true);
    image.Clear();
    EXPECT_FALSE(image.HasGraphic());
    EXPECT_FALSE(image.Modified());
}

TEST_F(ImageControl, save_keepsThePicturesOwnFormat_whateverTheName)
{
    image.LoadFromFile(dir + "green.bmp");
    image.SaveToFile(dir + "out.tempfile");
    const std::string bytes = Slurp(dir + "out.tempfile");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    QImage back;
    ASSERT_TRUE(back.loadFromData(QByteArray::fromStdString(bytes), "bmp"));
    EXPECT_EQ(back.size(), QSize(5, 4));
    EXPECT_EQ(back.pixelColor(2, 2), QColor(Qt::green));
}

TEST_F(ImageControl, saveFailures)
{
    EXPECT_THROW(image.SaveToFile(dir + "empty.png"), EInvalidGraphic);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "empty.png")));
    image.LoadFromFile(dir + "green.png");
    files.FailWrite = true;
    files.FailWriteCode = EROFS;
    try {
        image.SaveToFile(dir + "out.png");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, EROFS);
    }
}

TEST_F(ImageControl, filter_listsEveryReadableFormat_allFirst)
{
    const std::string filter = TImage::GraphicFilter();
    const std::vector<std::string>& exts = TImage::Extensions();
    ASSERT_FALSE(exts.empty());
    EXPECT_NE(std::find(exts.begin(), exts.end(), "png"), exts.end());
    EXPECT_NE(std::find(exts.begin(), exts.end(), "bmp"), exts.end());
    std::string all;
    for (const std::string& e : exts) all += (all.empty() ? "*." : ";*.") + e;
    EXPECT_EQ(filter.rfind("All (" + all + ")|" + all + "|", 0), 0u) << filter;
    EXPECT_NE(filter.find("|PNG Image (*.png)|*.png"), std::string::npos);
    // Pairs: an even number of "|"-separated parts.
    EXPECT_EQ(std::count(filter.begin(), filter.end(), '|') % 2, 1);
}

}  // namespace
