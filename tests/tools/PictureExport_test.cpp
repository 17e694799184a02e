// profilora-export end to end: pages in, CSV, PNG frames and GIF movies out,
// and the failures that must leave nothing behind.
#include "ExportRun.h"
#include "tools/Export.h"

#include "chart/Hodograph.h"
#include "movie/SoundingChart.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"
#include "movie/MovieExport.h"

#include "support/PageBuilder.h"
#include "support/GifReader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace {

using Args = std::vector<std::string>;

int CountColour(const QImage& Image, QRgb C)
{
    const QImage I = Image.convertToFormat(QImage::Format_RGB32);
    int N = 0;
    for (int Y = 0; Y < I.height(); ++Y)
        for (int X = 0; X < I.width(); ++X) N += (I.pixel(X, Y) & 0xFFFFFF) == (C & 0xFFFFFF);
    return N;
}

class PictureExport : public TExportRun {
protected:
    void SetUp() override
    {
        TExportRun::SetUp();
        Page = Path("page.html");
        testfiles::Put(Page, pages::ThreeLaunches(10));
    }

    // Every name in the test's directory (hidden ones included), sorted.
    std::set<std::string> Files(const std::string& Sub = "") const
    {
        std::set<std::string> Names;
        const QDir D(QString::fromStdString(Sub.empty() ? Dir.path().toStdString() : Path(Sub)));
        for (const QString& N : D.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            Names.insert(N.toStdString());
        return Names;
    }

    gifreader::Movie Gif(const std::string& Name) const { return gifreader::Decode(testfiles::Slurp(Path(Name))); }

    QImage Png(const std::string& Name) const { return QImage(QString::fromStdString(Path(Name))); }

    std::string Page;
};

// ------------------------------------------------------------ GIF

TEST_F(PictureExport, gifHasOneFramePerSoundingWithTheRequestedDelay)
{
    ASSERT_EQ(Run({Page, "--gif", Path("m.gif"), "--ms", "250"}), kExportDone) << Err;
    const gifreader::Movie M = Gif("m.gif");
    ASSERT_TRUE(M.Ok) << M.Error;
    EXPECT_EQ(M.Size, QSize(705, 313));
    EXPECT_EQ(M.LoopCount, 0);
    ASSERT_EQ(M.Frames.size(), 3u);
    for (const gifreader::Frame& F : M.Frames) EXPECT_EQ(F.DelayCs, 25);
    EXPECT_NE(Err.find("frame 3 of 3"), std::string::npos) << Err;
    EXPECT_EQ(Files(), (std::set<std::string>{"m.gif", "page.html"}));
    EXPECT_TRUE(Prompts.Boxes.empty());
}

TEST_F(PictureExport, gifDelayComesFromMsOrTheSettings)
{
    struct Case {
        const char* Settings;  // null: none
        const char* Ms;        // null: none
        int DelayCs;
    };
    const Case Cases[] = {
        {nullptr, nullptr, 2},  // the built-in 1 ms, kept at 20 ms
        {"[Display at start]\nms_per_frame = 250\n", nullptr, 25},
        {"[Display at start]\nms_per_frame = 5000\n", nullptr, 100},  // the window's limit of 1000
        {"[Display at start]\nms_per_frame = abc\n", nullptr, 2},
        {"[Display at start]\nms_per_frame = 250\n", "24", 2},
        {nullptr, "15", 2},
        {nullptr, "105", 11},
        {nullptr, "2000", 200},
    };
    for (const Case& C : Cases) {
        Args A = {Page, "--gif", Path("m.gif"), "--to", "1"};
        if (C.Settings) {
            testfiles::Put(Path("s.ini"), C.Settings);
            A.insert(A.end(), {"--settings", Path("s.ini")});
        }
        if (C.Ms) A.insert(A.end(), {"--ms", C.Ms});
        ASSERT_EQ(Run(A), kExportDone) << Err;
        const gifreader::Movie M = Gif("m.gif");
        ASSERT_EQ(M.Frames.size(), 2u);
        EXPECT_EQ(M.Frames[1].DelayCs, C.DelayCs) << (C.Settings ? C.Settings : "") << " --ms " << (C.Ms ? C.Ms : "");
    }
}

TEST_F(PictureExport, gifFramesAreThePngFrames)
{
    Args A = {Page,     "--png",  Path("frames"), "--gif", Path("m.gif"), "--series", "standard,dalr,dewpoint,points",
              "--size", "400x300"};
    ASSERT_EQ(Run(A), kExportDone) << Err;
    const gifreader::Movie M = Gif("m.gif");
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 3u);
    std::set<QRgb> Colours;
    for (int K = 0; K < 3; ++K) {
        const QImage Frame = Png("frames/" + FrameFileName(K)).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(Frame.size(), QSize(400, 300));
        for (int Y = 0; Y < Frame.height(); ++Y)
            for (int X = 0; X < Frame.width(); ++X) Colours.insert(Frame.pixel(X, Y));
    }
    // When the frames' colours fit one palette the GIF holds them exactly;
    // otherwise they come out close.
    const bool Exact = Colours.size() <= 255;
    for (int K = 0; K < 3; ++K) {
        const QImage Frame = Png("frames/" + FrameFileName(K));
        if (Exact)
            EXPECT_TRUE(gifreader::SamePixels(M.Frames[std::size_t(K)].Picture, Frame)) << "frame " << K;
        else
            EXPECT_LE(gifreader::WorstChannelDifference(M.Frames[std::size_t(K)].Picture, Frame), 32) << K;
    }
    EXPECT_FALSE(gifreader::SamePixels(M.Frames[0].Picture, M.Frames[1].Picture));
}

TEST_F(PictureExport, gifFramesWithValueMarksComeOutClose)
{
    // The marks' labels bring more colours than a palette holds.
    ASSERT_EQ(Run({Page, "--png", Path("frames"), "--gif", Path("m.gif"), "--series",
                   "standard,dalr,elr,salr,dewpoint,winddirection,windspeed,points,markers"}),
              kExportDone)
        << Err;
    const gifreader::Movie M = Gif("m.gif");
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 3u);
    for (int K = 0; K < 3; ++K)
        EXPECT_LE(
            gifreader::WorstChannelDifference(M.Frames[std::size_t(K)].Picture, Png("frames/" + FrameFileName(K))), 32)
            << "frame " << K;
}

// ------------------------------------------------------------ PNG

TEST_F(PictureExport, pngFilesAreNamedBySoundingIndex)
{
    struct Case {
        Args Range;
        std::set<std::string> Names;
    };
    const Case Cases[] = {
        {{}, {"frame_0000.png", "frame_0001.png", "frame_0002.png"}},
        {{"--from", "1"}, {"frame_0001.png", "frame_0002.png"}},
        {{"--from", "1", "--to", "1"}, {"frame_0001.png"}},
        {{"--to", "0"}, {"frame_0000.png"}},
    };
    int N = 0;
    for (const Case& C : Cases) {
        const std::string Sub = "out" + std::to_string(N++);
        Args A = {Page, "--png", Path(Sub)};
        A.insert(A.end(), C.Range.begin(), C.Range.end());
        ASSERT_EQ(Run(A), kExportDone) << Err;
        EXPECT_EQ(Files(Sub), C.Names) << ::testing::PrintToString(C.Range);
    }
    EXPECT_EQ(FrameFileName(12345), "frame_12345.png");
}

TEST_F(PictureExport, aPngIsTheWindowsChartForThatFrame)
{
    ASSERT_EQ(Run({Page, "--png", Path("f"), "--series", "salr,windspeed", "--from", "1", "--to", "1"}), kExportDone)
        << Err;

    // The window's chart after start-up with the built-in settings, the SALR
    // and wind speed boxes checked, and the track bar moved to 1.
    TChart Chart;
    Chart.resize(Chart1Width, Chart1Height);
    SetupChart1(Chart);
    TjtINI_File Ini(nullptr);
    Ini.SetIgnore_CmdLine(true);
    Ini.SetINI_Default(ProfileDefaults());
    Ini.SetOpenOnLoad(false);
    Ini.Loaded();
    ReadChartSettings(Ini, Chart);
    Chart.Series(0)->SetPointerVisible(false);  // the unchecked Points box
    Chart.Series(4)->SetActive(true);
    Chart.Series(7)->SetActive(true);
    TLapseRates Set;
    Set.LoadPage(pages::ThreeLaunches(10));
    TFrameRenderer Renderer(Chart, Set);
    const QImage Expected = Renderer.RenderFrame(1, Chart.size());

    EXPECT_TRUE(gifreader::SamePixels(Png("f/frame_0001.png"), Expected));
}

TEST_F(PictureExport, settingsOverrideColoursAndAxes)
{
    const QRgb DefaultDalr = qRgb(255, 0, 128);  // $8000ff
    const QRgb Green = qRgb(0, 255, 0);
    const QRgb Red = qRgb(255, 0, 0);
    ASSERT_EQ(Run({Page, "--png", Path("plain"), "--series", "dalr", "--to", "0"}), kExportDone) << Err;
    const QImage Plain = Png("plain/frame_0000.png");
    EXPECT_GT(CountColour(Plain, DefaultDalr), 50);
    EXPECT_EQ(CountColour(Plain, Green), 0);
    EXPECT_GT(CountColour(Plain, Red), 50);

    testfiles::Put(Path("s.ini"),
                   "[DALR]\n20000 = -181\n0 = 15\ncolor = $00ff00\n"
                   "[Temperature]\nmin = -1000\nmax = -900\n");
    ASSERT_EQ(Run({Page, "--png", Path("set"), "--series", "dalr", "--to", "0", "--settings", Path("s.ini")}),
              kExportDone)
        << Err;
    const QImage Set = Png("set/frame_0000.png");
    EXPECT_EQ(CountColour(Set, DefaultDalr), 0);
    // Every line now lies left of the axis: no temperature, no DALR line.
    EXPECT_EQ(CountColour(Set, Red), 0);
    EXPECT_EQ(CountColour(Set, Green), 0);

    testfiles::Put(Path("s2.ini"), "[DALR]\n20000 = -181\n0 = 15\ncolor = $00ff00\n");
    ASSERT_EQ(Run({Page, "--png", Path("set2"), "--series", "dalr", "--to", "0", "--settings", Path("s2.ini")}),
              kExportDone)
        << Err;
    const QImage Coloured = Png("set2/frame_0000.png");
    EXPECT_GT(CountColour(Coloured, Green), 50);
    EXPECT_EQ(CountColour(Coloured, DefaultDalr), 0);
}

// ------------------------------------------------------------ failures

TEST_F(PictureExport, badArgumentsGiveAClearErrorAndWriteNothing)
{
    struct Case {
        Args A;
        const char* Says;
    };
    const Case Cases[] = {
        {{Page, "--gif"}, "--gif needs a file name"},
        {{Page, "--gif", Path("m.gif"), "--ms", "0"}, "--ms '0'"},
        {{Page, "--gif", Path("m.gif"), "--size", "1x1"}, "--size '1x1'"},
        {{Page, "--gif", Path("m.gif"), "--series", "cape"}, "unknown series 'cape'"},
        {{Page, "--gif", Path("m.gif"), "--from", "2", "--to", "1"}, "--from 2 lies after --to 1"},
        {{Page, "--gif", Path("m.gif"), "--from", "3"}, "are not on the page"},
        {{Page, "--png", Path("d"), "--to", "7"}, "are not on the page"},
        {{Page, "--gif", Path("m.gif"), "--settings", Path("none.ini")}, "cannot read settings"},
        {{Path("missing.html"), "--gif", Path("m.gif")}, "missing.html"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Run(C.A), kExportFailed) << ::testing::PrintToString(C.A);
        EXPECT_NE(Err.find(C.Says), std::string::npos) << Err;
        EXPECT_EQ(Err.rfind("profilora-export: ", 0), 0u) << Err;
        EXPECT_EQ(Files(), std::set<std::string>{"page.html"}) << ::testing::PrintToString(C.A);
    }
}

TEST_F(PictureExport, settingsThatCannotBeReadAreReported)
{
    testfiles::Put(Path("bad.ini"), "[International_Standard_Atmosphere 1976]\n11000.5 = -56.5\n");
    EXPECT_EQ(Run({Page, "--gif", Path("m.gif"), "--settings", Path("bad.ini")}), kExportFailed);
    EXPECT_NE(Err.find("'11000.5' is not a valid integer value"), std::string::npos) << Err;
    EXPECT_NE(Err.find("bad.ini"), std::string::npos) << Err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("m.gif"))));
}

TEST_F(PictureExport, aPageWithoutSoundingsDrawsNothing)
{
    testfiles::Put(Path("empty.html"), "<html><body>no data here</body></html>");
    EXPECT_EQ(Run({Path("empty.html"), "--gif", Path("m.gif")}), kExportNoData);
    EXPECT_NE(Err.find("Bad data file"), std::string::npos) << Err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("m.gif"))));

    testfiles::Put(Path("blank.html"), pages::Page(""));
    // The same page ends the same way whatever the output.
    for (const Args& Output :
         {Args{"--png", Path("d")}, Args{"--gif", Path("m.gif")}, Args{"--csv", Path("b.csv")}, Args{"--csv"}}) {
        Args A{Path("blank.html")};
        A.insert(A.end(), Output.begin(), Output.end());
        EXPECT_EQ(Run(A), kExportNoData) << Output.front();
        EXPECT_NE(Err.find("no soundings"), std::string::npos) << Err;
        EXPECT_EQ(Out, "");
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Output.back())));
    }
}

TEST_F(PictureExport, unwritableOutputsAreReportedAndLeaveNothing)
{
    testfiles::Put(Path("plain.txt"), "a file, not a directory");
    QDir().mkpath(QString::fromStdString(Path("adir")));
    const std::set<std::string> Before = Files();
    struct Case {
        Args A;
        const char* Says;
    };
    const Case Cases[] = {
        {{Page, "--gif", Path("plain.txt") + "/m.gif"}, "cannot write"},
        {{Page, "--gif", Path("nodir") + "/m.gif"}, "cannot write"},
        {{Page, "--gif", Path("adir")}, "cannot write"},  // a directory cannot be replaced by the movie
        {{Page, "--png", Path("plain.txt")}, "cannot write into"},
        {{Page, "--png", Path("plain.txt") + "/frames"}, "cannot write into"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Run(C.A), kExportFailed) << ::testing::PrintToString(C.A);
        EXPECT_NE(Err.find(C.Says), std::string::npos) << Err;
        EXPECT_EQ(Files(), Before) << ::testing::PrintToString(C.A);
        EXPECT_TRUE(Files("adir").empty());
    }
    EXPECT_EQ(testfiles::Slurp(Path("plain.txt")), "a file, not a directory");
}

TEST_F(PictureExport, aFailedWriteKeepsTheOldFileAndLeavesNoPart)
{
    testfiles::Put(Path("m.gif"), "old movie");
    platform::FaultyFileSystem Faulty;
    Faulty.FailWrite = true;
    {
        platform::ScopedPlatform Broken(&Prompts, &System, &Faulty);
        EXPECT_EQ(Run({Page, "--gif", Path("m.gif")}), kExportFailed);
    }
    EXPECT_NE(Err.find("cannot write '" + Path("m.gif") + "'"), std::string::npos) << Err;
    EXPECT_EQ(testfiles::Slurp(Path("m.gif")), "old movie");
    EXPECT_EQ(Files(), (std::set<std::string>{"m.gif", "page.html"}));

    // Without the fault the movie replaces the old file.
    ASSERT_EQ(Run({Page, "--gif", Path("m.gif")}), kExportDone) << Err;
    EXPECT_TRUE(Gif("m.gif").Ok);
    EXPECT_EQ(Files(), (std::set<std::string>{"m.gif", "page.html"}));
}

// ------------------------------------------------------------ CSV beside pictures

TEST_F(PictureExport, csvIsWrittenAsBeforeAlsoBesidePictures)
{
    ASSERT_EQ(Run({Page, "--csv"}), kExportDone) << Err;
    const std::string Csv = Out;
    EXPECT_EQ(Csv.rfind("sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n", 0), 0u);
    EXPECT_NE(Csv.find("\n2,launch 2,250,30000,0,30,270,12\n"), std::string::npos) << Csv;
    EXPECT_EQ(std::count(Csv.begin(), Csv.end(), '\n'), 1 + 3 * 30);

    ASSERT_EQ(Run({Page, "--csv", "-", "--gif", Path("m.gif")}), kExportDone) << Err;
    EXPECT_EQ(Out, Csv);
    EXPECT_EQ(Gif("m.gif").Frames.size(), 3u);
}

// ------------------------------------------------------------ the program

#ifdef PROFILORA_EXPORT_PROGRAM
TEST_F(PictureExport, theProgramDrawsWithoutADisplayAndFindsRelativeSettings)
{
    testfiles::Put(Path("s.ini"), "[Display at start]\nms_per_frame = 300\n");
    QProcess Process;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.remove("QT_QPA_PLATFORM");
    Env.remove("DISPLAY");
    Env.remove("WAYLAND_DISPLAY");
    Process.setProcessEnvironment(Env);
    Process.setWorkingDirectory(Dir.path());
    Process.start(PROFILORA_EXPORT_PROGRAM, {"page.html", "--gif", "m.gif", "--settings", "s.ini"});
    ASSERT_TRUE(Process.waitForFinished(60000));
    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), 0) << Process.readAllStandardError().toStdString();
    const gifreader::Movie M = Gif("m.gif");
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 3u);
    EXPECT_EQ(M.Frames[0].DelayCs, 30);
}
#endif

// ------------------------------------------------------------ the export functions

class ExportFunctions : public PictureExport {
protected:
    void SetUp() override
    {
        PictureExport::SetUp();
        Chart.resize(200, 150);
        SetupChart1(Chart);
        Set.LoadPage(pages::ThreeLaunches(10));
    }
    TChart Chart;
    TLapseRates Set;
};

TEST_F(ExportFunctions, cancellingStopsAndLeavesNoPartialFile)
{
    TFrameRenderer R(Chart, Set);
    const TFrameSpan Span{0, 2, QSize(200, 150)};
    std::vector<int> Calls;
    const TExportProgress StopAtTwo = [&](int Done, int Total) {
        Calls.push_back(Done);
        EXPECT_EQ(Total, 3);
        return Done < 2;
    };
    EXPECT_THROW(ExportGifMovie(R, Span, 100, Path("m.gif"), StopAtTwo), EExportCancelled);
    EXPECT_EQ(Calls, (std::vector<int>{1, 2}));
    EXPECT_EQ(Files(), std::set<std::string>{"page.html"});

    // Frames written before the stop are whole files; nothing else is left.
    EXPECT_THROW(ExportPngFrames(R, Span, Path("d"), StopAtTwo), EExportCancelled);
    EXPECT_EQ(Files("d"), (std::set<std::string>{"frame_0000.png", "frame_0001.png"}));
    EXPECT_FALSE(Png("d/frame_0001.png").isNull());
}

TEST_F(ExportFunctions, spansOutsideThePageAreRefused)
{
    TFrameRenderer R(Chart, Set);
    for (const TFrameSpan& Span : {TFrameSpan{-1, 1, QSize(200, 150)}, TFrameSpan{2, 1, QSize(200, 150)},
                                   TFrameSpan{0, 3, QSize(200, 150)}, TFrameSpan{0, 1, QSize(0, 150)}})
        EXPECT_THROW(EncodeGifMovie(R, Span, 100), EExportError) << Span.First << ".." << Span.Last;
    TLapseRates Empty;
    TFrameRenderer None(Chart, Empty);
    EXPECT_THROW(EncodeGifMovie(None, TFrameSpan{0, 0, QSize(200, 150)}, 100), EExportError);
}

TEST_F(ExportFunctions, writingReplacesInOneStep)
{
    WriteFileReplacing(Path("a.bin"), "first");
    WriteFileReplacing(Path("a.bin"), "second");
    EXPECT_EQ(testfiles::Slurp(Path("a.bin")), "second");
    EXPECT_EQ(Files(), (std::set<std::string>{"a.bin", "page.html"}));
    EXPECT_THROW(WriteFileReplacing(Path("no/such/dir/a.bin"), "x"), EExportError);
    EXPECT_THROW(WriteFileReplacing(Path("") + "/", "x"), EExportError);
}

}  // namespace

// ------------------------------------------------------------ skew-T

namespace {

TEST_F(PictureExport, skewTViewDrawsTheDiagramOfEachLaunch)
{
    const std::string wyoming = std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html";
    ASSERT_EQ(Run({wyoming, "--view", "skewt", "--png", Path("sk"), "--from", "31", "--to", "33"}), kExportDone) << Err;
    EXPECT_EQ(Files("sk"), (std::set<std::string>{"frame_0031.png", "frame_0032.png", "frame_0033.png"}));
    const QImage a = Png("sk/frame_0031.png"), b = Png("sk/frame_0032.png"), c = Png("sk/frame_0033.png");
    EXPECT_EQ(a.size(), QSize(SkewTFrameWidth, SkewTFrameHeight));
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    // The altitude chart stays the default view, at its own size.
    ASSERT_EQ(Run({wyoming, "--png", Path("alt"), "--from", "31", "--to", "31"}), kExportDone) << Err;
    EXPECT_EQ(Png("alt/frame_0031.png").size(), QSize(Chart1Width, Chart1Height));
    // A GIF of the diagram at a given size.
    ASSERT_EQ(Run({wyoming, "--view=skewt", "--gif", Path("sk.gif"), "--to", "2", "--size", "400x360"}), kExportDone)
        << Err;
    const gifreader::Movie movie = Gif("sk.gif");
    EXPECT_EQ(movie.Frames.size(), 3u);
    EXPECT_EQ(movie.Size, QSize(400, 360));
    EXPECT_EQ(Run({wyoming, "--view", "tephigram", "--png", Path("x")}), kExportFailed);
    EXPECT_NE(Err.find("--view 'tephigram' is not altitude, skewt or hodograph"), std::string::npos) << Err;
}

// The hodograph alone: 500x500 unless --size says otherwise, each layer of
// the line in its colour; a launch without winds gives an empty one.
TEST_F(PictureExport, hodographViewDrawsTheWindsOfEachLaunchAlone)
{
    const std::string wyoming = std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html";
    ASSERT_EQ(Run({wyoming, "--view", "hodograph", "--png", Path("h"), "--from", "31", "--to", "31"}), kExportDone)
        << Err;
    const QImage a = Png("h/frame_0031.png");
    ASSERT_EQ(a.size(), QSize(500, 500));
    // The line's colours above the legend.
    const QImage line = a.copy(0, 0, 500, 440);
    for (int i = 0; i < chart::HodographLayers; ++i)
        EXPECT_GT(CountColour(line, chart::HodographLayerColour(i).rgb()), 50) << i;
    ASSERT_EQ(Run({wyoming, "--view=hodograph", "--gif", Path("h.gif"), "--to", "1", "--size", "300x200"}), kExportDone)
        << Err;
    EXPECT_EQ(Gif("h.gif").Size, QSize(300, 200));

    std::string rows;
    for (int h = 0; h <= 12000; h += 1000)
        rows += pages::Row("still", {std::to_string(1000 - h / 15), std::to_string(h), "10", "5", "", ""});
    testfiles::Put(Path("still.html"), pages::Page(pages::Table(rows)));
    ASSERT_EQ(Run({Path("still.html"), "--view", "hodograph", "--png", Path("still")}), kExportDone) << Err;
    const QImage still = Png("still/frame_0000.png").copy(0, 0, 500, 440);
    ASSERT_FALSE(still.isNull());
    for (int i = 0; i < chart::HodographLayers; ++i)
        EXPECT_EQ(CountColour(still, chart::HodographLayerColour(i).rgb()), 0) << i;
}

// A pressure range the diagram cannot take is refused, as [Year] HeightMax
// is, and nothing is drawn.
TEST_F(PictureExport, skewTViewRefusesABadPressureRange)
{
    const struct {
        const char* Lines;
        const char* Message;
    } cases[] = {
        {"PressureTop = abc", "[Skew-T] PressureTop must be a pressure from 1 to 1100 hPa, not \"abc\""},
        {"PressureBottom = nan", "[Skew-T] PressureBottom must be a pressure from 1 to 1100 hPa, not \"nan\""},
        {"PressureBottom = 1200", "[Skew-T] PressureBottom must be a pressure from 1 to 1100 hPa"},
        {"PressureTop = 0.5", "[Skew-T] PressureTop must be a pressure from 1 to 1100 hPa"},
        {"PressureBottom = 500\nPressureTop = 500",
         "[Skew-T] PressureTop must be a lower pressure than PressureBottom"},
        {"PressureBottom = 80",
         "[Skew-T] PressureTop must be a lower pressure than PressureBottom (80 hPa), not \"100\""},
    };
    for (const auto& c : cases) {
        testfiles::Put(Path("bad.ini"), std::string("[Skew-T]\n") + c.Lines + "\n");
        EXPECT_EQ(Run({Page, "--view", "skewt", "--png", Path("bad"), "--settings", Path("bad.ini")}), kExportFailed)
            << c.Lines;
        EXPECT_NE(Err.find(c.Message), std::string::npos) << c.Lines << ": " << Err;
        EXPECT_TRUE(Files("bad").empty()) << c.Lines;
    }
}

}  // namespace
