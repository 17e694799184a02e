// The chart's menu: the frame on show saved as PNG, the page exported as an
// animated GIF with a progress window that can cancel, and the progress
// doubles themselves.
#include "ExtrasSupport.h"

#include "app/Application.h"
#include "app/WindowMovie.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "movie/SoundingChart.h"
#include "components/jtINI_File.h"
#include "components/jtSpinControls.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QScrollBar>
#include <gif_lib.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace extras_test;

namespace {

// What giflib reads back from a GIF file.
struct GifFile {
    bool Ok = false;
    QSize Size;
    int Frames = 0;
    std::vector<int> DelaysCs;
    bool LoopsForever = false;
};

bool IsLoopBlock(const ExtensionBlock* Blocks, int Count)
{
    for (int i = 0; i + 1 < Count; ++i) {
        const ExtensionBlock& app = Blocks[i];
        const ExtensionBlock& sub = Blocks[i + 1];
        if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
            std::string(reinterpret_cast<const char*>(app.Bytes), 11) == "NETSCAPE2.0" && sub.ByteCount >= 3 &&
            sub.Bytes[0] == 1 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0)
            return true;
    }
    return false;
}

GifFile ReadGif(const std::string& Path)
{
    GifFile out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(Path.c_str(), &error);
    if (!gif) return out;
    if (DGifSlurp(gif) == GIF_OK) {
        out.Ok = true;
        out.Size = QSize(gif->SWidth, gif->SHeight);
        out.Frames = gif->ImageCount;
        for (int i = 0; i < gif->ImageCount; ++i) {
            GraphicsControlBlock gcb;
            out.DelaysCs.push_back(DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK ? gcb.DelayTime : -1);
        }
        out.LoopsForever = IsLoopBlock(gif->ExtensionBlocks, gif->ExtensionBlockCount) ||
                           (gif->ImageCount > 0 &&
                            IsLoopBlock(gif->SavedImages[0].ExtensionBlocks, gif->SavedImages[0].ExtensionBlockCount));
    }
    DGifCloseFile(gif, &error);
    return out;
}

class WindowExport : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        MakeForm();
    }
    void Save(const std::string& Name) { prompts.SaveAnswers.push_back(Name.empty() ? std::string() : Path(Name)); }
    void Trigger(QAction* A) { A->trigger(); }
    QImage Shown() { return form->Chart1->RenderToImage(form->Chart1->size()); }
    // The names in the folder, hidden ones too (a left-over temporary file).
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const QString& n : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            names.push_back(n.toStdString());
        return names;
    }
    // The window with a choice of options that all show in a frame.
    void StyleTheWindow()
    {
        form->DALR_UICheckBox->setChecked(true);
        form->ScrollBar1->setValue(40);
        form->DewPoint_UICheckBox->setChecked(true);
        form->Windspeed_UICheckBox->setChecked(true);
        form->Points_CheckBox->setChecked(true);
        prompts.ColorAnswers.push_back(0x00AA00u);
        form->Set_Color(form->Windspeed_Color_UIPanel);
        form->Chart1->BottomAxis().SetMinMax(-20, 50);
        form->Chart1->LeftAxis().SetMinMax(0, 3000);
    }
};

// ---------------------------------------------------------------- menu

TEST_F(WindowExport, chartMenuOffersExportAndTrail)
{
    ASSERT_NE(form->Extras, nullptr);
    std::vector<std::string> texts;
    for (QAction* a : form->Extras->ChartMenu->actions())
        if (!a->isSeparator()) texts.push_back(a->text().toStdString());
    EXPECT_EQ(texts, (std::vector<std::string>{"Save Frame as PNG...", "Export Movie as GIF...", "Show Trail",
                                               "Year at a Glance...", "Skew-T log-p...", "Launch Indices...",
                                               "Station Climatology...", "Show Climatology", "Open Station...",
                                               "Date Range..."}));

    // A right click on the plot opens the menu where the mouse is; the movie
    // entry is offered only with soundings to export.
    std::vector<QPoint> opened;
    form->Extras->PopupMenu = [&](QMenu& Menu, QPoint Global) {
        EXPECT_EQ(&Menu, form->Extras->ChartMenu);
        opened.push_back(Global);
    };
    QWidget* plot = form->Chart1->MouseSurface();
    auto rightClick = [&] {
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(50, 60), plot->mapToGlobal(QPoint(50, 60)));
        QCoreApplication::sendEvent(plot, &e);
    };
    rightClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], plot->mapToGlobal(QPoint(50, 60)));
    EXPECT_FALSE(form->Extras->ExportMovieAction->isEnabled());
    EXPECT_TRUE(form->Extras->SaveFrameAction->isEnabled());
    Load("a.html", MakePage(2));
    rightClick();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(form->Extras->ExportMovieAction->isEnabled());
}

// ---------------------------------------------------------------- PNG

TEST_F(WindowExport, framePngIsTheChartOnShow)
{
    Load("a.html", MakePage(5));
    StyleTheWindow();
    form->TrackBar1->SetPosition(3);
    Save("shot.png");
    Trigger(form->Extras->SaveFrameAction);
    ASSERT_EQ(prompts.SaveDialogs.size(), 1u);
    const platform::FileDialogSetup& setup = prompts.SaveDialogs[0];
    EXPECT_EQ(setup.Title, "Save Frame as PNG");
    EXPECT_EQ(setup.FileName, "a frame_0003.png");
    EXPECT_EQ(setup.Filter, "PNG images (*.png)|*.png|All files (*.*)|*.*");
    EXPECT_FALSE(setup.FileMustExist);
    EXPECT_TRUE(prompts.Boxes.empty());
    const QImage saved(QString::fromStdString(Path("shot.png")), "png");
    EXPECT_TRUE(SamePixels(saved, Shown()));
    // And not merely any chart: another frame looks different.
    form->TrackBar1->SetPosition(1);
    EXPECT_FALSE(SamePixels(saved, Shown()));
}

TEST_F(WindowExport, nameWithoutExtensionGetsThatOfTheKind)
{
    const std::pair<const char*, const char*> cases[] = {
        {"shot", "shot.png"},
        {"shot.png", "shot.png"},
        {"my.frame", "my.frame"},
    };
    for (const auto& [typed, written] : cases) {
        Save(typed);
        Trigger(form->Extras->SaveFrameAction);
        EXPECT_TRUE(Exists(Path(written))) << typed;
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"my.frame", "shot.png"}));
    // The next dialog opens where the last picture went.
    Save("");
    Trigger(form->Extras->SaveFrameAction);
    EXPECT_EQ(prompts.SaveDialogs.back().InitialDir, dir.path().toStdString() + "/");
}

TEST_F(WindowExport, anExistingFileIsReplacedOnlyWhenTheUserSaysYes)
{
    const std::pair<platform::MsgResult, bool> cases[] = {
        {platform::MsgResult::No, false},
        {platform::MsgResult::Cancel, false},
        {platform::MsgResult::Yes, true},
    };
    for (const auto& [answer, replaced] : cases) {
        Write("old.png", "the user's file");
        prompts.Boxes.clear();
        prompts.Answers = {answer};
        Save("old.png");
        Trigger(form->Extras->SaveFrameAction);
        ASSERT_EQ(prompts.Boxes.size(), 1u);
        EXPECT_EQ(prompts.Boxes[0].Text, Path("old.png") + " already exists.\nDo you want to replace it?");
        EXPECT_EQ(prompts.Boxes[0].Buttons, platform::MsgButtons::YesNoCancel);
        EXPECT_EQ(Read(Path("old.png")) != "the user's file", replaced) << int(answer);
    }
}

// A picture never takes the place of the page on show or the settings (by
// any name), nor of a write-protected file; nothing is asked or written.
TEST_F(WindowExport, inputsAndProtectedFilesAreRefused)
{
    Load("a.html", MakePage(3));
    Write("profilora.ini", "[Temperature]\r\n");
    ASSERT_EQ(::link(Path("a.html").c_str(), Path("hard.gif").c_str()), 0);
    Write("ro.png", "protected");
    ASSERT_EQ(::chmod(Path("ro.png").c_str(), 0444), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    struct Case {
        QAction* Action;
        const char* Name;
        const char* Why;
    };
    const Case cases[] = {{form->Extras->SaveFrameAction, "sub/../a.html", "input file"},
                          {form->Extras->ExportMovieAction, "hard.gif", "input file"},
                          {form->Extras->ExportMovieAction, "profilora.ini", "input file"},
                          {form->Extras->SaveFrameAction, "ro.png", "write-protected"}};
    for (const Case& c : cases) {
        const std::string before = Read(Path(c.Name));
        prompts.Boxes.clear();
        Save(c.Name);
        Trigger(c.Action);
        ASSERT_EQ(prompts.Boxes.size(), 1u) << c.Name;
        EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Error);
        EXPECT_NE(prompts.Boxes[0].Text.find(c.Why), std::string::npos) << prompts.Boxes[0].Text;
        EXPECT_EQ(Read(Path(c.Name)), before) << c.Name;
    }
    EXPECT_TRUE(prompts.Progresses.empty());
}

TEST_F(WindowExport, cancelledDialogWritesNothing)
{
    Save("");
    Trigger(form->Extras->SaveFrameAction);
    prompts.SaveAnswers.push_back(std::nullopt);
    Trigger(form->Extras->SaveFrameAction);
    EXPECT_EQ(prompts.SaveDialogs.size(), 2u);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_TRUE(Files().empty());
}

// A failed write is shown by the general handler and leaves neither the
// target nor a part of it.
TEST_F(WindowExport, unwritableFolderIsReportedAndLeavesNoFile)
{
    Load("a.html", MakePage(3));
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    platform::FaultyFileSystem faulty;
    faulty.ReadOnlyDir = Path("ro") + "/";
    guard.reset();
    guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, &faulty);
    struct Case {
        QAction* Action;
        const char* Name;
    };
    const Case cases[] = {{form->Extras->SaveFrameAction, "ro/f.png"}, {form->Extras->ExportMovieAction, "ro/m.gif"}};
    for (const Case& c : cases) {
        prompts.Boxes.clear();
        Save(c.Name);
        Trigger(c.Action);
        ASSERT_EQ(prompts.Boxes.size(), 1u) << c.Name;
        EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Error);
        EXPECT_NE(prompts.Boxes[0].Text.find(Path(c.Name)), std::string::npos) << prompts.Boxes[0].Text;
        EXPECT_TRUE(QDir(dir.filePath("ro")).entryList(QDir::Files | QDir::Hidden).isEmpty()) << c.Name;
    }
    ASSERT_EQ(prompts.Progresses.size(), 1u);
    EXPECT_TRUE(prompts.Progresses[0].Closed);
}

// The window's chart and the exporter's drawing of the same frame with the
// same options are the same picture.
TEST_F(WindowExport, windowFrameIsTheExportersFrame)
{
    const std::string page = MakePage(4);
    Load("a.html", page);
    form->CheckBox1->setChecked(true);  // SALR
    form->Windspeed_UICheckBox->setChecked(true);
    form->TrackBar1->SetPosition(2);

    TChart chart;
    chart.resize(Chart1Width, Chart1Height);
    SetupChart1(chart);
    TjtINI_File ini(nullptr);
    ini.SetIgnore_CmdLine(true);
    ini.SetINI_Default(ProfileDefaults());
    ini.SetOpenOnLoad(false);
    ini.Loaded();
    ReadChartSettings(ini, chart);
    TSeriesChoice choice;
    choice.Shown[4] = true;
    choice.Shown[7] = true;
    ApplySeriesChoice(chart, choice);
    TLapseRates rates;
    rates.LoadPage(page);
    TFrameRenderer renderer(chart, rates);
    ASSERT_EQ(form->Chart1->size(), chart.size());
    EXPECT_TRUE(SamePixels(renderer.RenderFrame(2, chart.size()), Shown()));
}

// ---------------------------------------------------------------- GIF

TEST_F(WindowExport, movieHasOneFramePerSoundingWithTheSpinEditsDelay)
{
    Load("Perth 2016.html", MakePage(6));
    form->jtSpinEdit1->SetAsInt(250);
    Save("movie.gif");
    Trigger(form->Extras->ExportMovieAction);
    ASSERT_EQ(prompts.SaveDialogs.size(), 1u);
    EXPECT_EQ(prompts.SaveDialogs[0].Title, "Export Movie as GIF");
    EXPECT_EQ(prompts.SaveDialogs[0].FileName, "Perth 2016.gif");
    EXPECT_EQ(prompts.SaveDialogs[0].Filter, "GIF images (*.gif)|*.gif|All files (*.*)|*.*");
    EXPECT_TRUE(prompts.Boxes.empty());

    const GifFile gif = ReadGif(Path("movie.gif"));
    ASSERT_TRUE(gif.Ok);
    EXPECT_EQ(gif.Frames, 6);
    EXPECT_EQ(gif.Size, form->Chart1->size());
    EXPECT_EQ(gif.DelaysCs, std::vector<int>(6, 25));
    EXPECT_TRUE(gif.LoopsForever);

    ASSERT_EQ(prompts.Progresses.size(), 1u);
    EXPECT_EQ(prompts.Progresses[0].Maximum, 6);
    EXPECT_EQ(prompts.Progresses[0].Values, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(prompts.Progresses[0].Closed);
    EXPECT_NE(prompts.Progresses[0].Text.find("movie.gif"), std::string::npos);
    EXPECT_EQ(Files(), (std::vector<std::string>{"Perth 2016.html", "movie.gif"}));
}

TEST_F(WindowExport, gifDelayIsTheFrameIntervalInHundredthsRoundedAndAtLeastTwo)
{
    Load("a.html", MakePage(2));
    const std::pair<int, int> cases[] = {{1, 2}, {24, 2}, {25, 3}, {26, 3}, {250, 25}, {1000, 100}};
    for (const auto& [ms, cs] : cases) {
        form->jtSpinEdit1->SetAsInt(ms);
        const std::string name = "d" + std::to_string(ms) + ".gif";
        Save(name);
        Trigger(form->Extras->ExportMovieAction);
        const GifFile gif = ReadGif(Path(name));
        ASSERT_TRUE(gif.Ok) << ms;
        EXPECT_EQ(gif.DelaysCs, std::vector<int>(2, cs)) << ms;
    }
}

TEST_F(WindowExport, cancellingAtAnyStepLeavesNoFileAndKeepsAnOlderOne)
{
    Load("a.html", MakePage(5));
    Write("kept.gif", "older movie");
    for (int step : {1, 3, 5}) {
        prompts.CancelProgressAt = step;
        prompts.Progresses.clear();
        prompts.Boxes.clear();
        prompts.Answers = {platform::MsgResult::Yes};  // replace kept.gif
        Save("new.gif");
        Trigger(form->Extras->ExportMovieAction);
        Save("kept.gif");
        Trigger(form->Extras->ExportMovieAction);
        ASSERT_EQ(prompts.Progresses.size(), 2u) << step;
        for (const auto& log : prompts.Progresses) {
            std::vector<int> expected;
            for (int i = 1; i <= step; ++i) expected.push_back(i);
            EXPECT_EQ(log.Values, expected) << step;
            EXPECT_TRUE(log.Closed) << step;
        }
        // Only the question about replacing kept.gif; a cancel is no error.
        EXPECT_EQ(prompts.Boxes.size(), 1u) << step;
        EXPECT_EQ(Files(), (std::vector<std::string>{"a.html", "kept.gif"})) << step;
        EXPECT_EQ(Read(Path("kept.gif")), "older movie") << step;
    }
}

TEST_F(WindowExport, noSoundingsNoMovie)
{
    Trigger(form->Extras->ExportMovieAction);
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "There are no soundings to export.");
    EXPECT_TRUE(prompts.SaveDialogs.empty());
    EXPECT_TRUE(prompts.Progresses.empty());
}

// Every frame of the movie is the window's chart after its track bar moved
// to that frame, with the series, colours, shifted lines and trail it shows;
// drawing the movie leaves the window as it was.
TEST_F(WindowExport, movieFramesAreTheWindowsFrames)
{
    Load("a.html", MakePage(6));
    StyleTheWindow();
    form->Extras->ShowTrailAction->setChecked(true);
    form->TrackBar1->SetPosition(1);
    const std::vector<double> shownX = {form->Chart1->Series(0)->XValue(0), form->Chart1->Series(0)->XValue(1)};

    TWindowMovie movie(*form->Chart1, *form->LapseRates, form->Extras->TrailShown());
    ASSERT_EQ(movie.FrameCount(), 6);
    std::vector<QImage> frames;
    for (int k = 0; k < 6; ++k) frames.push_back(movie.Frame(k));
    EXPECT_EQ(form->LapseRates->Current, 1);
    EXPECT_EQ(form->Chart1->Series(0)->XValue(0), shownX[0]);
    EXPECT_EQ(form->Chart1->Series(0)->XValue(1), shownX[1]);

    for (int k : {0, 2, 5}) {
        form->TrackBar1->SetPosition(k);
        EXPECT_TRUE(SamePixels(frames[size_t(k)], Shown())) << k;
    }
    // The trail is part of them: without it frame 5 looks different.
    form->Extras->ShowTrailAction->setChecked(false);
    EXPECT_FALSE(SamePixels(frames[5], Shown()));
}

TEST_F(WindowExport, movieOfAWindowWithoutTrailHasNone)
{
    Load("a.html", MakePage(4));
    form->Extras->ShowTrailAction->setChecked(true);
    form->Extras->ShowTrailAction->setChecked(false);
    TWindowMovie movie(*form->Chart1, *form->LapseRates, false);
    const QImage frame = movie.Frame(3);
    form->TrackBar1->SetPosition(3);
    EXPECT_TRUE(SamePixels(frame, Shown()));
}

// ---------------------------------------------------------------- progress doubles

TEST(ProgressDoubles, fakeRecordsStepsAndCancelsFromTheChosenStep)
{
    platform::FakePrompts prompts;
    {
        auto p = prompts.ShowProgress("never", 3);
        for (int i = 1; i <= 3; ++i) {
            p->SetValue(i);
            EXPECT_FALSE(p->Cancelled());
        }
        EXPECT_FALSE(prompts.Progresses[0].Closed);
    }
    prompts.CancelProgressAt = 2;
    auto q = prompts.ShowProgress("at two", 4);
    EXPECT_FALSE(q->Cancelled());
    q->SetValue(1);
    EXPECT_FALSE(q->Cancelled());
    q->SetValue(2);
    EXPECT_TRUE(q->Cancelled());
    ASSERT_EQ(prompts.Progresses.size(), 2u);
    EXPECT_TRUE(prompts.Progresses[0].Closed);
    EXPECT_EQ(prompts.Progresses[0].Values, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(prompts.Progresses[1].Text, "at two");
    EXPECT_EQ(prompts.Progresses[1].Maximum, 4);
    q.reset();
    EXPECT_TRUE(prompts.Progresses[1].Closed);
}

// Prompts that have no window (a tool on a terminal) show no progress and
// never cancel.
TEST(ProgressDoubles, promptsWithoutAWindowShowASilentProgress)
{
    struct NoWindow : platform::Prompts {
        platform::MsgResult MessageBox(const std::string&, const std::string&, platform::MsgButtons,
                                       platform::MsgIcon) override
        {
            return platform::MsgResult::OK;
        }
        bool OpenFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
        bool SaveFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
        bool ColorDialog(std::uint32_t, std::uint32_t&) override { return false; }
    } prompts;
    auto p = prompts.ShowProgress("job", 2);
    ASSERT_NE(p, nullptr);
    p->SetValue(2);
    EXPECT_FALSE(p->Cancelled());
}

}  // namespace
