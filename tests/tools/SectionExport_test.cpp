// profilora-export --levels and --section: the derived levels of a real
// page against values read off its tables by hand, the section picture at
// the asked size and following the settings' altitude maximum, and failures
// that leave nothing behind.
#include "ExportRun.h"
#include "tools/Export.h"

#include "platform/Fakes.h"

#include "support/PageBuilder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using Args = std::vector<std::string>;

const std::string Perth = std::string(PROFILORA_DATA_DIR) + "/Perth 2016.html";

class SectionExport : public TExportRun {
protected:
    int Files() const { return int(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size()); }
    // Pixels of the grey hatching that shows where the section has no value.
    static int GapPixels(const QImage& Image)
    {
        const QImage I = Image.convertToFormat(QImage::Format_RGB32);
        int N = 0;
        for (int Y = 0; Y < I.height(); ++Y)
            for (int X = 0; X < I.width(); ++X) N += (I.pixel(X, Y) & 0xFFFFFF) == 0x9A9A9A;
        return N;
    }
};

TEST_F(SectionExport, levelsOfPerthMatchTheTablesReadByHand)
{
    ASSERT_EQ(Run({Perth, "--levels", Path("levels.csv")}), kExportDone) << Err;
    const std::string Text = testfiles::Slurp(Path("levels.csv"));
    EXPECT_EQ(Text.substr(0, Text.find('\n')),
              "sounding,title,surface_height,freezing_level,warm_layer_base,warm_layer_top,"
              "warm_layer_max_temperature,tropopause_height,tropopause_temperature,tropopause_pressure,"
              "inversion_base,inversion_top,inversion_strength");
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 726 + 1);
    // Summer: 0 C between 4029 m (1.2 C) and 4302 m (-0.7 C): 4201.42 m;
    // tropopause at 102 hPa; 12.6 C at 600 m rising level by level to 22 C
    // at 952 m.
    EXPECT_NE(Text.find("\n0,94610 2016-01-01 00Z,20.0,4201.4,,,,16402.0,-69.7,102.0,600.0,952.0,9.4\n"),
              std::string::npos);
    // Winter: 0 C between 1409 m (0.2 C) and 1484 m (-0.5 C): 1430.43 m;
    // tropopause at 262 hPa; 9.8 C at 20 m rising to 11 C at 59 m.
    EXPECT_NE(Text.find("\n420,94610 2016-07-31 12Z,20.0,1430.4,,,,10184.0,-49.9,262.0,20.0,59.0,1.2\n"),
              std::string::npos);
}

TEST_F(SectionExport, sectionHasTheAskedSizeAlsoBesideOtherOutputs)
{
    const std::string Page = Path("page.html");
    testfiles::Put(Page, pages::ThreeLaunches(0));
    ASSERT_EQ(Run({Page, "--csv", Path("all.csv"), "--section", Path("s.png"), "--size", "320x200", "--levels",
                   Path("l.csv")}),
              kExportDone)
        << Err;
    const QImage Picture(QString::fromStdString(Path("s.png")));
    EXPECT_EQ(Picture.size(), QSize(320, 200));
    EXPECT_FALSE(testfiles::Slurp(Path("all.csv")).empty());
    // A launch at one temperature (-30 C) freezes from the ground up (its
    // freezing level is the surface) and has no inversion; isothermal, its
    // tropopause is the first level above 500 hPa (20000 m).
    EXPECT_NE(testfiles::Slurp(Path("l.csv")).find("\n1,launch 1,1000.0,1000.0,,,,21000.0,-30.0,475.0,,,\n"),
              std::string::npos)
        << testfiles::Slurp(Path("l.csv"));

    // The section reaches [Year] HeightMax (the chart's altitude range does
    // not count): up to the usual 20000 m the launches fill the whole map,
    // up to 60000 m they leave its upper half empty.
    testfiles::Put(Path("s.ini"), "[Altitude]\nmin = 0\nmax = 60000\n");
    testfiles::Put(Path("high.ini"), "[Year]\nHeightMax = 60000\n");
    ASSERT_EQ(Run({Page, "--section", Path("low.png"), "--settings", Path("s.ini")}), kExportDone) << Err;
    ASSERT_EQ(Run({Page, "--section", Path("high.png"), "--settings", Path("high.ini")}), kExportDone) << Err;
    const QImage Low(QString::fromStdString(Path("low.png")));
    const QImage High(QString::fromStdString(Path("high.png")));
    EXPECT_EQ(Low.size(), QSize(705, 313));
    EXPECT_GT(GapPixels(High), 5 * GapPixels(Low) + 1000);
}

TEST_F(SectionExport, failuresLeaveNothingAndNeverReplaceTheInput)
{
    const std::string Page = Path("page.html");
    const std::string Text = pages::ThreeLaunches(0);
    testfiles::Put(Page, Text);
    const struct {
        Args A;
        const char* Message;
    } Cases[] = {
        {{Page, "--levels", Path("missing/l.csv")}, "cannot write"},
        {{Page, "--section", Path("missing/s.png")}, "cannot write"},
        {{Page, "--levels", Page}, "it is the input file"},
        {{Page, "--section", Path("s.png"), "--settings", Path("none.ini")}, "cannot read settings"},
        {{Page, "--section"}, "--section needs a file name"},
        {{Page, "--section", Path("s.png"), "--settings", Path("word.ini")}, "[Year] HeightMax must be"},
        {{Page, "--section", Path("s.png"), "--settings", Path("low.ini")}, "[Year] HeightMax must be"},
    };
    testfiles::Put(Path("word.ini"), "[Year]\nHeightMax = high\n");
    testfiles::Put(Path("low.ini"), "[Year]\nHeightMax = -5\n");
    for (const auto& C : Cases) {
        EXPECT_EQ(Run(C.A), kExportFailed) << C.Message;
        EXPECT_NE(Err.find(C.Message), std::string::npos) << Err;
        EXPECT_EQ(Files(), 3) << C.Message;
    }
    EXPECT_EQ(testfiles::Slurp(Page), Text);
}

}  // namespace

namespace {

// --anomaly: only beside --section, and only from a climatology of at least
// 5 years (the bundled Perth page holds one); nothing is left behind.
TEST_F(SectionExport, anomalyWantsSectionAndFiveYears)
{
    EXPECT_EQ(Run({Perth, "--csv", Path("a.csv"), "--anomaly"}), kExportFailed);
    EXPECT_NE(Err.find("--anomaly applies to --section only"), std::string::npos) << Err;
    EXPECT_NE(Run({Perth, "--section", Path("a.png"), "--anomaly"}), kExportDone);
    EXPECT_NE(Err.find("at least 5 years; the launches span 1"), std::string::npos) << Err;
    EXPECT_EQ(Files(), 0);
}

}  // namespace
