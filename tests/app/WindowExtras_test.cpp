// The window's additions that need no file output: pages from outside
// (command line, drops), accessible names, the trail and the point read-out.
#include "ExtrasSupport.h"

#include "app/Application.h"
#include "app/PageDrops.h"
#include "app/PointReadout.h"
#include "app/Trail.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtSpinControls.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFrame>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <filesystem>

using namespace extras_test;

namespace {

// ---------------------------------------------------------------- command line

struct ArgumentCase {
    std::vector<std::string> Args;
    std::string Expected;  // "<cwd>/" stands for the working directory
};

TEST(PageArgument, onlyAnArgumentBeforeEverySwitchNamesAPage)
{
    const std::string cwd = std::filesystem::current_path().string();
    const ArgumentCase cases[] = {
        {{}, ""},
        {{""}, ""},
        {{"/ini", "my.ini"}, ""},
        {{"/?"}, ""},
        {{"-ini", "my.ini"}, ""},
        {{"--help"}, ""},
        // After a switch an argument is that switch's value.
        {{"/ini", "my.ini", "Perth 2016.html"}, ""},
        // A bare name found nowhere is looked up beside the pages later.
        {{"No Such Page 1999.html"}, "No Such Page 1999.html"},
        {{"No Such Page 1999.html", "/ini", "my.ini"}, "No Such Page 1999.html"},
        {{"/data/pages/Perth 2016.html"}, "/data/pages/Perth 2016.html"},
        {{"/data/pages/../x/./Perth 2016.html"}, "/data/x/Perth 2016.html"},
        {{"sub/Perth 2016.html"}, cwd + "/sub/Perth 2016.html"},
        // A negative number is a value, not a switch.
        {{"-5"}, "-5"},
    };
    for (const ArgumentCase& c : cases)
        EXPECT_EQ(app::TPageDrops::PageArgument(c.Args), c.Expected) << ::testing::PrintToString(c.Args);
}

TEST(PageArgument, aBareNameInTheWorkingDirectoryBecomesItsFullPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    std::ofstream("here.html") << "x";
    const std::string got = app::TPageDrops::PageArgument({"here.html"});
    QDir::setCurrent(before);
    EXPECT_EQ(got, (std::filesystem::path(dir.path().toStdString()) / "here.html").lexically_normal().string());
}

class CommandLinePage : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        // A catalogue whose start page would be loaded without an argument.
        Write("start.html", MakePage(2));
        WriteSettings("[Display at start]\nfile = start.html\n[soundings]\nstart.html=\nother.html=\n");
    }
    void WriteSettings(const std::string& Text) const { Write("profilora.ini", Text); }
};

TEST_F(CommandLinePage, argumentPageReplacesTheStartPage)
{
    Write("Perth 2016.html", MakePage(5));
    system.Args = {Path("Perth 2016.html")};
    MakeForm();
    EXPECT_EQ(form->LapseRates->Count(), 5);
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), -1);
    EXPECT_EQ(form->windowTitle().toStdString(), "Profilora - " + Path("Perth 2016.html"));
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(CommandLinePage, bareArgumentIsLookedUpBesideThePagesLikeACatalogueEntry)
{
    Write("other.html", MakePage(3));
    system.Args = {"other.html"};
    MakeForm();
    EXPECT_EQ(form->LapseRates->Count(), 3);
    EXPECT_EQ(form->windowTitle().toStdString(), "Profilora - other.html");
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), -1);
}

TEST_F(CommandLinePage, switchesAloneStillLoadTheStartPage)
{
    system.Args = {"/ini", Path("profilora.ini")};
    MakeForm();
    EXPECT_EQ(form->LapseRates->Count(), 2);
    EXPECT_EQ(form->Name_UIComboBox->currentText().toStdString(), "start.html");
}

TEST_F(CommandLinePage, missingArgumentPageIsReportedAndTheWindowStillOpens)
{
    system.Args = {Path("gone.html")};
    MakeForm();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_NE(prompts.Boxes[0].Text.find("File not found"), std::string::npos) << prompts.Boxes[0].Text;
    EXPECT_NE(prompts.Boxes[0].Text.find(Path("gone.html")), std::string::npos);
    EXPECT_EQ(form->LapseRates->Count(), 0);
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
}

// ---------------------------------------------------------------- drops

class Drops : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        MakeForm();
    }
    static std::unique_ptr<QMimeData> Urls(const QList<QUrl>& U)
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls(U);
        return data;
    }
    static QUrl File(const std::string& P) { return QUrl::fromLocalFile(QString::fromStdString(P)); }
    bool SendDrag(const QMimeData& Data)
    {
        QDragEnterEvent e(QPoint(100, 100), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &e);
        return e.isAccepted();
    }
    // As a real drag does: it enters the window, then drops.
    bool SendDrop(const QMimeData& Data)
    {
        SendDrag(Data);
        QDropEvent e(QPointF(100, 100), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &e);
        const bool accepted = e.isAccepted();
        QCoreApplication::processEvents();  // the page is read after the drop returns
        return accepted;
    }
};

TEST_F(Drops, windowAcceptsOnlyALocalFile)
{
    Write("a.html", MakePage(2));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_TRUE(form->acceptDrops());
    EXPECT_TRUE(SendDrag(*Urls({File(Path("a.html"))})));
    EXPECT_TRUE(SendDrag(*Urls({File(Path("a.html")), QUrl("https://example.org/b.html")})));
    EXPECT_FALSE(SendDrag(*Urls({QUrl("https://example.org/b.html")})));
    EXPECT_FALSE(SendDrag(*Urls({File(Path("folder"))})));
    EXPECT_FALSE(SendDrag(*Urls({File(Path("missing.html"))})));
    QMimeData text;
    text.setText("a.html");
    EXPECT_FALSE(SendDrag(text));
}

// A page whose name is no text (bytes ff fe) is opened by those very
// bytes when it is chosen from the catalogue.
TEST_F(Drops, catalogueNamesThatAreNoTextReachTheFilesAsTheirBytes)
{
    const std::string name = "\xff\xfe.html";
    const std::string full = dir.path().toStdString() + "/" + name;
    std::ofstream(full, std::ios::binary) << MakePage(3);
    std::ofstream(Path("profilora.ini"), std::ios::binary) << "[soundings]\r\n" + name + "=\r\n";
    MakeForm();
    ASSERT_EQ(form->Name_UIComboBox->count(), 1);
    form->Name_UIComboBox->setCurrentIndex(0);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    EXPECT_EQ(form->LapseRates->Count(), 3);
    EXPECT_TRUE(prompts.Boxes.empty());
    std::remove(full.c_str());  // the temporary directory cannot name it
}

// The same page dropped (as its own bytes, or as the toolkit's text of
// them) or chosen in the open dialog, which hands back text as well.
TEST_F(Drops, droppedAndChosenNamesThatAreNoTextReachTheFilesAsTheirBytes)
{
    const std::string full = dir.path().toStdString() + "/\xff\xfe.html";
    std::ofstream(full, std::ios::binary) << MakePage(3);
    const QString asText = QString::fromLocal8Bit(full.c_str());
    ASSERT_NE(asText.toLocal8Bit().toStdString(), full);

    QMimeData bytes;
    bytes.setData("text/uri-list", "file://" + QByteArray::fromStdString(full).toPercentEncoding("/") + "\r\n");
    EXPECT_TRUE(SendDrop(bytes));
    EXPECT_EQ(form->LapseRates->Count(), 3);

    MakeForm();
    EXPECT_TRUE(SendDrop(*Urls({QUrl::fromLocalFile(asText)})));
    EXPECT_EQ(form->LapseRates->Count(), 3);

    MakeForm();
    prompts.OpenAnswers.push_back(asText.toLocal8Bit().toStdString());
    form->Button2->click();
    EXPECT_EQ(form->LapseRates->Count(), 3);
    EXPECT_EQ(form->windowTitle().toLocal8Bit().toStdString(), "Profilora - " + asText.toLocal8Bit().toStdString());
    EXPECT_TRUE(prompts.Boxes.empty());
    std::remove(full.c_str());  // the temporary directory cannot name it
}

TEST_F(Drops, droppedPageIsLoadedAsReadFileLoadsIt)
{
    Write("first.html", MakePage(2));
    form->Name_UIComboBox->setCurrentIndex(1);
    Write("dropped.html", MakePage(4));
    EXPECT_TRUE(SendDrop(*Urls({File(Path("dropped.html"))})));
    EXPECT_EQ(form->LapseRates->Count(), 4);
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), -1);
    EXPECT_EQ(form->windowTitle().toStdString(), "Profilora - " + Path("dropped.html"));
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    EXPECT_EQ(form->TrackBar1->Max(), 3);
    // The page's folder is where catalogue names are now looked up.
    EXPECT_EQ(form->jtFile_IO_html->Directory() + (form->jtFile_IO_html->Directory().back() == '/' ? "" : "/"),
              dir.path().toStdString() + "/");
}

TEST_F(Drops, refusedDropLoadsNothing)
{
    EXPECT_FALSE(SendDrop(*Urls({QUrl("https://example.org/b.html")})));
    EXPECT_EQ(form->windowTitle().toStdString(), "Profilora");
    EXPECT_EQ(form->LapseRates->Count(), 0);
}

// A dropped page gives the very messages and state that "Read File..." gives.
TEST_F(Drops, badPagesGiveTheSameMessagesAsReadFile)
{
    std::string badNumber = MakePage(2);
    badNumber.replace(badNumber.find("13.5"), 4, "x3.5");
    const std::pair<const char*, std::string> pages[] = {
        {"nodata.html", "<html><body>no soundings here</body></html>"},
        {"badnumber.html", badNumber},
        {"empty.html", ""},
    };
    for (const auto& [name, text] : pages) {
        Write(name, text);
        prompts.Boxes.clear();
        // As from the dialog: an error leaving the load goes to the general handler.
        app::RunHandler([&] { form->jtFile_IO1Open(form->jtFile_IO1, Path(name)); });
        const auto viaDialog = prompts.Boxes;
        const int countViaDialog = form->LapseRates->Count();

        prompts.Boxes.clear();
        MakeForm();
        prompts.Boxes.clear();
        SendDrop(*Urls({File(Path(name))}));
        ASSERT_EQ(prompts.Boxes.size(), viaDialog.size()) << name;
        for (size_t i = 0; i < viaDialog.size(); ++i) {
            EXPECT_EQ(prompts.Boxes[i].Text, viaDialog[i].Text) << name;
            EXPECT_EQ(prompts.Boxes[i].Caption, viaDialog[i].Caption) << name;
        }
        EXPECT_EQ(form->LapseRates->Count(), countViaDialog) << name;
        // Nothing was shown, so the caption names no page.
        EXPECT_EQ(form->windowTitle().toStdString(), "Profilora") << name;
    }
}

// ---------------------------------------------------------------- accessibility

TEST_F(ExtrasTest, controlsWithoutCaptionHaveAccessibleNames)
{
    MakeForm();
    const std::pair<const char*, const char*> names[] = {
        {"TrackBar1", "Frame"},
        {"Chart1", "Sounding chart"},
        {"Name_UIComboBox", "Sounding page"},
        {"jtSpinEdit1", "ms Between Frames"},
        {"ST_Color_UIPanel", "Standard Atmosphere colour"},
        {"DALR_Color_UIPanel", "DALR colour"},
        {"ELR_Color_UIPanel", "ELR colour"},
        {"SALR_Color_UIPanel", "SALR colour"},
        {"Dewpoint_Color_UIPanel", "Dew Point Diff colour"},
        {"WindDirection_Color_UIPanel", "Wind Direction colour"},
        {"Windspeed_Color_UIPanel", "Windspeed colour"},
        {"ScrollBar1", "DALR surface temperature"},
        {"ScrollBar2", "ELR surface temperature"},
        {"ScrollBar3", "SALR surface temperature"},
    };
    for (const auto& [object, name] : names) {
        auto* w = form->findChild<QWidget*>(object);
        ASSERT_NE(w, nullptr) << object;
        EXPECT_EQ(w->accessibleName().toStdString(), name) << object;
    }
    ASSERT_TRUE(form->jtSpinEdit1->Buttons);
    EXPECT_EQ(form->jtSpinEdit1->Buttons->SpinUpButton->accessibleName().toStdString(), "Up");
    EXPECT_EQ(form->jtSpinEdit1->Buttons->SpinDnButton->accessibleName().toStdString(), "Down");
    // No panel, scroll bar or slider of the window is left without a name.
    for (QWidget* w : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QScrollBar*>(w) || qobject_cast<QSlider*>(w) || dynamic_cast<TColorPanel*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

// ---------------------------------------------------------------- trail

TEST(TrailTint, fadesTowardsWhiteStepByStep)
{
    struct Case {
        TColor Colour;
        int Step;
        TColor Expected;  // $00bbggrr
    };
    const Case cases[] = {
        {clRed, 1, 0x2A2AFF},  // 255 * 1/6 = 42 of white added to green and blue
        {clRed, 3, 0x7F7FFF},  {clRed, 5, 0xD4D4FF},    {clBlack, 3, 0x7F7F7F},
        {clWhite, 2, clWhite}, {0x804020, 1, 0x955F45},  // each channel v + (255 - v) / 6
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrailTint(c.Colour, c.Step), c.Expected) << std::hex << c.Colour << " step " << c.Step;
    EXPECT_EQ(TrailTitle(1), "Temperature, 1 frame before");
    EXPECT_EQ(TrailTitle(4), "Temperature, 4 frames before");
}

class TrailTest : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        MakeForm();
        Load("a.html", MakePage(8));
    }
    void ShowTrail(bool On) { form->Extras->ShowTrailAction->setChecked(On); }
    TLineSeries* Trail(int Step) { return form->Chart1->Series(7 + Step); }
    // The temperatures of sounding S as the page gives them.
    static std::vector<double> Profile(int S)
    {
        return {DefaultTemperature(S, 0), DefaultTemperature(S, 1), DefaultTemperature(S, 2)};
    }
    static std::vector<double> Xs(const TLineSeries* Series)
    {
        std::vector<double> x;
        for (int i = 0; i < Series->Count(); ++i) x.push_back(Series->XValue(i));
        return x;
    }
};

TEST_F(TrailTest, offAtFirstAndAddsNoSeries)
{
    EXPECT_FALSE(form->Extras->ShowTrailAction->isChecked());
    EXPECT_TRUE(form->Extras->ShowTrailAction->isCheckable());
    form->Next_UIButtonClick(form->Next_UIButton);
    form->TrackBar1->SetPosition(5);
    EXPECT_EQ(form->Chart1->SeriesCount(), 8);
}

TEST_F(TrailTest, showsTheFivePreviousFramesInFadingTints)
{
    form->TrackBar1->SetPosition(6);
    ShowTrail(true);
    ASSERT_EQ(form->Chart1->SeriesCount(), 13);
    TColor previous = form->Chart1->Series(0)->Color();
    for (int step = 1; step <= TrailLength; ++step) {
        const TLineSeries* s = Trail(step);
        EXPECT_TRUE(s->Active()) << step;
        EXPECT_EQ(Xs(s), Profile(6 - step)) << step;
        EXPECT_EQ(s->Color(), TrailTint(clRed, step)) << step;
        // Each step paler than the one before it.
        EXPECT_GT(ToQColor(s->Color()).lightness(), ToQColor(previous).lightness()) << step;
        previous = s->Color();
    }
    // The window's own series keep their slots.
    EXPECT_EQ(form->Chart1->Series(0)->objectName().toStdString(), "Series1");
    EXPECT_EQ(Xs(form->Chart1->Series(0)), Profile(6));
}

TEST_F(TrailTest, followsEveryFrameChange)
{
    ShowTrail(true);
    struct Step {
        std::function<void()> Move;
        int Current;
    };
    const Step steps[] = {
        {[&] { form->TrackBar1->SetPosition(2); }, 2},
        {[&] { form->Next_UIButtonClick(form->Next_UIButton); }, 3},
        {[&] { form->Prev_UIButtonClick(form->Prev_UIButton); }, 2},
        {[&] { form->Timer1Timer(form->Timer1); }, 3},
        {[&] { form->TrackBar1->SetPosition(7); }, 7},
        {[&] { form->Next_UIButtonClick(form->Next_UIButton); }, 0},  // wraps: nothing before frame 0
    };
    for (const Step& s : steps) {
        s.Move();
        ASSERT_EQ(form->LapseRates->Current, s.Current);
        for (int step = 1; step <= TrailLength; ++step) {
            const int frame = s.Current - step;
            EXPECT_EQ(Trail(step)->Active(), frame >= 0) << s.Current << " step " << step;
            EXPECT_EQ(Xs(Trail(step)), frame >= 0 ? Profile(frame) : std::vector<double>{})
                << s.Current << " step " << step;
        }
    }
}

TEST_F(TrailTest, switchedOffHidesItAndStopsFollowing)
{
    form->TrackBar1->SetPosition(6);
    ShowTrail(true);
    ShowTrail(false);
    ASSERT_EQ(form->Chart1->SeriesCount(), 13);
    for (int step = 1; step <= TrailLength; ++step) EXPECT_FALSE(Trail(step)->Active()) << step;
    form->TrackBar1->SetPosition(3);
    for (int step = 1; step <= TrailLength; ++step) EXPECT_FALSE(Trail(step)->Active()) << step;
    // Back on: at once the trail of the frame on show.
    ShowTrail(true);
    EXPECT_EQ(Xs(Trail(1)), Profile(2));
    EXPECT_FALSE(Trail(4)->Active());
}

TEST_F(TrailTest, aShorterPageLeavesNoTrailOfTheOldOne)
{
    form->TrackBar1->SetPosition(7);
    ShowTrail(true);
    Load("b.html", MakePage(2));
    // The track bar clamped to the new last frame (1): only frame 0 before it.
    ASSERT_EQ(form->LapseRates->Current, 1);
    EXPECT_TRUE(Trail(1)->Active());
    EXPECT_EQ(Xs(Trail(1)), Profile(0));
    for (int step = 2; step <= TrailLength; ++step) EXPECT_FALSE(Trail(step)->Active()) << step;
}

// The trail lies behind the current profile: where a previous frame has the
// very same profile, the picture is the one without the trail.
TEST_F(ExtrasTest, trailIsDrawnBehindTheCurrentProfile)
{
    MakeForm();
    // Soundings 0 and 1 alike, sounding 2 warmer.
    Load("same.html", MakePage(
                          3, 3, [](int S, int L) { return (S == 2 ? 25 : 20) - 6.5 * L; }, true));
    form->TrackBar1->SetPosition(1);
    form->Chart1->BottomAxis().SetMinMax(-10, 30);
    form->Chart1->LeftAxis().SetMinMax(0, 3000);
    const QImage without = form->Chart1->RenderToImage(form->Chart1->size());
    form->Extras->ShowTrailAction->setChecked(true);
    ASSERT_TRUE(form->Chart1->Series(8)->Active());
    EXPECT_TRUE(SamePixels(form->Chart1->RenderToImage(form->Chart1->size()), without));
    // A trail that differs from the profile does show.
    form->TrackBar1->SetPosition(2);
    const QImage withTrail = form->Chart1->RenderToImage(form->Chart1->size());
    form->Extras->ShowTrailAction->setChecked(false);
    EXPECT_FALSE(SamePixels(withTrail, form->Chart1->RenderToImage(form->Chart1->size())));
}

// ---------------------------------------------------------------- read-out

struct NearestCase {
    const char* Name;
    std::vector<TPixelPoint> Points;
    QPointF Mouse;
    double Radius;
    int Series;  // -1: none
    int Index;
};

TEST(PointReadout, nearestPointWithinTheRadius)
{
    const std::vector<TPixelPoint> two = {{0, 0, {10, 10}}, {1, 4, {20, 10}}};
    const NearestCase cases[] = {
        {"on a point", two, {10, 10}, 5, 0, 0},
        {"nearer to the second", two, {16, 11}, 5, 1, 4},
        {"just inside", two, {10, 14.9}, 5, 0, 0},
        {"on the edge", two, {10, 15}, 5, 0, 0},
        {"outside", two, {10, 15.1}, 5, -1, -1},
        {"between, beyond the radius", two, {15, 30}, 5, -1, -1},
        {"equally near: the first", two, {15, 10}, 5, 0, 0},
        {"none", {}, {0, 0}, 5, -1, -1},
        {"wider radius", two, {40, 10}, 25, 1, 4},
    };
    for (const NearestCase& c : cases) {
        const auto hit = NearestPoint(c.Points, c.Mouse, c.Radius);
        EXPECT_EQ(hit ? hit->Series : -1, c.Series) << c.Name;
        EXPECT_EQ(hit ? hit->Index : -1, c.Index) << c.Name;
    }
}

class Readout : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        MakeForm();
        Load("a.html", MakePage(4));
        form->TrackBar1->SetPosition(2);
    }
    // Where the plot draws point Index of series Slot.
    QPointF PixelOf(int Slot, int Index)
    {
        form->Chart1->Repaint();
        const TLineSeries* s = form->Chart1->Series(Slot);
        return form->Chart1->ValueToPixel(s->XValue(Index), s->YValue(Index));
    }
};

TEST_F(Readout, textNamesTheSeriesItsValueAndAltitude)
{
    form->Extras->ShowTrailAction->setChecked(true);
    struct Case {
        int Slot;
        int Index;
        const char* Expected;
    };
    // Sounding 2: levels at 102, 1102 and 2102 m, 18, 11.5 and 5 C.
    const Case cases[] = {
        {0, 0, "Temperature: 18 C at 102 m"},
        {0, 1, "Temperature: 11.5 C at 1102 m"},
        {1, 0, "Standard Atmosphere: -2.5 C at 51000 m"},
        {2, 1, "DALR: 15 C at 0 m"},
        {4, 0, "SALR: -45 C at 20000 m"},
        {8, 2, "Temperature, 1 frame before: 6 C at 2101 m"},
        {9, 0, "Temperature, 2 frames before: 20 C at 100 m"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadoutText(*form->Chart1, c.Slot, c.Index), c.Expected) << c.Slot;

    for (QCheckBox* box : {form->DewPoint_UICheckBox, form->WindDirection_UICheckBox, form->Windspeed_UICheckBox})
        box->setChecked(true);
    EXPECT_EQ(ReadoutText(*form->Chart1, 5, 1), "Dew Point Diff: 3 C at 1102 m");
    EXPECT_EQ(ReadoutText(*form->Chart1, 6, 2), "Wind Direction / 10: 11 at 2102 m");
    EXPECT_EQ(ReadoutText(*form->Chart1, 7, 0), "Windspeed: 5 m/s at 102 m");
    EXPECT_EQ(ReadoutText(*form->Chart1, 0, 3), "");   // no such point
    EXPECT_EQ(ReadoutText(*form->Chart1, 20, 0), "");  // no such series

    system.Separator = ',';
    EXPECT_EQ(ReadoutText(*form->Chart1, 0, 1), "Temperature: 11,5 C at 1102 m");
}

TEST_F(Readout, hoveringNearAShownPointReadsItOut)
{
    form->Chart1->BottomAxis().SetMinMax(-10, 30);
    form->Chart1->LeftAxis().SetMinMax(0, 3000);
    const QPointF p = PixelOf(0, 1);
    EXPECT_EQ(form->Extras->ReadoutAt((p + QPointF(2, -1)).toPoint()), "Temperature: 11.5 C at 1102 m");
    EXPECT_EQ(form->Extras->ReadoutAt((p + QPointF(30, 30)).toPoint()), "");

    // Shown series are read out; hidden ones (their old points stay) are not.
    form->DewPoint_UICheckBox->setChecked(true);
    const QPointF dew = PixelOf(5, 0);
    EXPECT_EQ(form->Extras->ReadoutAt(dew.toPoint()), "Dew Point Diff: 2 C at 102 m");
    form->DewPoint_UICheckBox->setChecked(false);
    ASSERT_EQ(form->Chart1->Series(5)->Count(), 3);
    EXPECT_EQ(form->Extras->ReadoutAt(dew.toPoint()), "");
}

TEST_F(Readout, theCurrentProfileIsReadBeforeTheTrailBehindIt)
{
    Load("same.html", MakePage(
                          3, 3, [](int, int L) { return 20 - 6.5 * L; }, true));
    form->TrackBar1->SetPosition(1);
    form->Chart1->BottomAxis().SetMinMax(-10, 30);
    form->Chart1->LeftAxis().SetMinMax(0, 3000);
    form->Extras->ShowTrailAction->setChecked(true);
    const QPointF p = PixelOf(0, 2);
    EXPECT_EQ(form->Extras->ReadoutAt(p.toPoint()), "Temperature: 7 C at 2100 m");
}

TEST_F(Readout, mouseMoveOverThePlotShowsTheToolTip)
{
    form->Chart1->BottomAxis().SetMinMax(-10, 30);
    form->Chart1->LeftAxis().SetMinMax(0, 3000);
    const QPointF p = PixelOf(0, 0);
    QWidget* plot = form->Chart1->MouseSurface();
    QMouseEvent move(QEvent::MouseMove, p, plot->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &move);
    EXPECT_EQ(QToolTip::text().toStdString(), "Temperature: 18 C at 102 m");
    QToolTip::hideText();
}

}  // namespace
