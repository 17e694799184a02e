// The main window driven offscreen: layout, start-up with and without
// settings, frame navigation, page loading and the styling handlers.
#include "app/Application.h"
#include "app/Profilora_frm.h"
#include "app/WindowLayout.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "components/jtSpinControls.h"
#include "components/jtSysUtils.h"
#include "platform/Fakes.h"
#include "sounding/LapseRates.h"
#include "support/PageBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

using pages::MakePage;

class FormTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    std::unique_ptr<platform::ScopedPlatform> guard;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        system.Program = Path("profilora");
        system.LongName = system.Program;
        guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, nullptr);
    }

    std::string Path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    void WriteSettings(const std::string& text) const { Write("profilora.ini", text); }

    std::unique_ptr<TForm1> MakeForm() { return std::make_unique<TForm1>(); }
};

// ---------------------------------------------------------------- layout

// A caption's control is as wide as designed, or as its text where that is wider.
int CaptionWidth(const QWidget* W, int Designed)
{
    if (!qobject_cast<const QLabel*>(W) && !qobject_cast<const QCheckBox*>(W)) return Designed;
    return std::max(Designed, W->sizeHint().width());
}

// No caption is clipped: every label and check box is at least as wide as
// its text, in the designed layout and at twice the scale.
TEST_F(FormTest, noCaptionIsClipped)
{
    auto form = MakeForm();
    form->show();
    QCoreApplication::processEvents();
    int captions = 0;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QCheckBox*>(w)) continue;
        if (!w->isVisible()) continue;
        ++captions;
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    }
    EXPECT_GE(captions, 12);

    QWidget parent;
    QLabel* label = new QLabel("ms Between Frames", &parent);
    QFont big = form->font();
    big.setPixelSize(22);
    label->setFont(big);
    TAnchorLayout layout;
    layout.SetDesignSize(QSize(862, 480));
    layout.Add(label, QRect(744, 24, 95, 13), akTop | akRight);
    layout.Scale(2.0);
    layout.Apply(layout.DesignSize());
    EXPECT_EQ(label->pos(), QPoint(1488, 48));
    EXPECT_GE(label->width(), label->sizeHint().width());
}

// The window keeps its designed place where it fits the screen's available
// area, and otherwise moves the least it takes to lie there.
TEST(FitOnScreen, keepsTheDesignedPlaceOrMovesOntoTheScreen)
{
    const QRect screen(0, 0, 1920, 1040);
    EXPECT_EQ(FitOnScreen(QRect(256, 175, 862, 480), screen), QRect(256, 175, 862, 480));
    // At 200 %: the bottom would be 95 pixels below the screen.
    EXPECT_EQ(FitOnScreen(QRect(256, 175, 1724, 960), screen), QRect(196, 80, 1724, 960));
    EXPECT_EQ(FitOnScreen(QRect(-50, -20, 800, 400), screen), QRect(0, 0, 800, 400));
    // A frame larger than the area shows its top left corner.
    EXPECT_EQ(FitOnScreen(QRect(256, 175, 2000, 1200), screen), QRect(0, 0, 2000, 1200));
    EXPECT_EQ(FitOnScreen(QRect(100, 100, 800, 400), QRect(1920, 0, 1280, 1024)), QRect(1920, 100, 800, 400));
}

TEST_F(FormTest, layout_placesEveryControlOfTheTableAndFollowsTheAnchors)
{
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle(), "Profilora");
    EXPECT_EQ(form->size(), QSize(862, 480));
    const QRect available = form->screen()->availableGeometry();
    const QRect designed(256, 175, 862, 480);
    EXPECT_EQ(form->pos(),
              available.contains(designed) ? designed.topLeft() : FitOnScreen(designed, available).topLeft());
    for (const app::TControlPlace& p : app::WindowLayout()) {
        auto* w = form->findChild<QWidget*>(p.Name);
        ASSERT_NE(w, nullptr) << p.Name;
        EXPECT_EQ(w->geometry(), QRect(p.Left, p.Top, CaptionWidth(w, p.Width), p.Height)) << p.Name;
        EXPECT_EQ(form->AnchorsOf(w), p.Anchors) << p.Name;
        if (p.Tag >= 0) {
            EXPECT_EQ(w->property("Tag").toInt(), p.Tag) << p.Name;
        }
    }
    // Enlarging: the chart grows, the right column follows the right edge,
    // the bottom rows follow the bottom edge.
    form->show();
    form->resize(962, 530);
    QCoreApplication::processEvents();
    for (const app::TControlPlace& p : app::WindowLayout()) {
        auto* w = form->findChild<QWidget*>(p.Name);
        QRect expected(p.Left, p.Top, CaptionWidth(w, p.Width), p.Height);
        if ((p.Anchors & akLeft) && (p.Anchors & akRight))
            expected.setWidth(p.Width + 100);
        else if (p.Anchors & akRight)
            expected.moveLeft(p.Left + 100);
        if ((p.Anchors & akTop) && (p.Anchors & akBottom))
            expected.setHeight(p.Height + 50);
        else if (p.Anchors & akBottom)
            expected.moveTop(p.Top + 50);
        EXPECT_EQ(w->geometry(), expected) << p.Name;
    }
    // The spin edit's buttons follow it.
    EXPECT_EQ(form->jtSpinEdit1->Buttons->geometry(), QRect(904, 40, 13, 21));
    // The status bar runs along the bottom edge.
    EXPECT_EQ(form->StatusBar1->geometry(), QRect(0, 530 - 19, 962, 19));
    // The window cannot be made smaller than its minimum outer size.
    form->resize(500, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(form->frameGeometry().width(), 770);
    EXPECT_GE(form->frameGeometry().height(), 410);
}

TEST_F(FormTest, captionsAndInitialState)
{
    auto form = MakeForm();
    EXPECT_EQ(form->Animate_CheckBox->text(), "Animate");
    EXPECT_EQ(form->DALR_UICheckBox->text(), "DALR - 9.5 C/km");
    EXPECT_EQ(form->CheckBox1->text(), "SALR - 4 C/km");
    EXPECT_EQ(form->Button2->text(), "Read File...");
    EXPECT_EQ(form->Label2->text(), "50 m/s = 112 mi/hr");
    EXPECT_EQ(form->Label3->text(), "ms Between Frames");
    EXPECT_EQ(form->DewPoint_UICheckBox->toolTip(), "The number of degrees the Dew Point is below the temperature");
    EXPECT_EQ(form->StatusBar1->SimpleText(), "Load a data file via the comboBox or by clicking \"Read File...\"");
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->Next_UIButton->isEnabled());
    EXPECT_EQ(form->TrackBar1->Position(), 0);
    EXPECT_EQ(form->TrackBar1->Max(), 10);
    EXPECT_FALSE(form->html_UIRichEdit->isVisible());
    for (QScrollBar* sb : {form->ScrollBar1, form->ScrollBar2, form->ScrollBar3}) {
        EXPECT_EQ(sb->minimum(), -65);
        EXPECT_EQ(sb->maximum(), 200);
        EXPECT_EQ(sb->value(), 15);
    }
    ASSERT_NE(form->LapseRates, nullptr);
    EXPECT_EQ(form->LapseRates->Count(), 0);
}

// ---------------------------------------------------------------- start-up

TEST_F(FormTest, noSettingsFile_builtInDefaults)
{
    auto form = MakeForm();
    EXPECT_DOUBLE_EQ(form->Chart1->BottomAxis().Minimum(), -90);
    EXPECT_DOUBLE_EQ(form->Chart1->BottomAxis().Maximum(), 50);
    EXPECT_DOUBLE_EQ(form->Chart1->LeftAxis().Minimum(), 0);
    EXPECT_DOUBLE_EQ(form->Chart1->LeftAxis().Maximum(), 51000);
    ASSERT_EQ(form->Chart1->SeriesCount(), 8);
    EXPECT_EQ(form->Chart1->Series(1)->Color(), 0xFF0000u);  // blue
    EXPECT_EQ(form->Chart1->Series(2)->Color(), 0x8000FFu);
    EXPECT_EQ(form->Chart1->Series(4)->Color(), 0x000000u);
    EXPECT_EQ(form->Chart1->Series(5)->Color(), 0x008000u);
    EXPECT_EQ(form->Chart1->Series(7)->Color(), 0x0080FFu);
    EXPECT_EQ(form->ST_Color_UIPanel->Color(), 0xFF0000u);
    EXPECT_EQ(form->ELR_Color_UIPanel->Color(), form->Chart1->Series(3)->Color());
    EXPECT_EQ(form->Windspeed_Color_UIPanel->Color(), 0x0080FFu);
    for (int i = 1; i < 8; ++i) EXPECT_FALSE(form->Chart1->Series(i)->Active()) << i;
    // The standard atmosphere, in file order.
    TLineSeries* st = form->Chart1->Series(1);
    ASSERT_EQ(st->Count(), 6);
    EXPECT_DOUBLE_EQ(st->XValue(0), -2.5);
    EXPECT_DOUBLE_EQ(st->YValue(0), 51000);
    EXPECT_DOUBLE_EQ(st->XValue(5), 15);
    EXPECT_DOUBLE_EQ(st->YValue(5), 0);
    // Points unchecked: no point markers on the temperature line.
    EXPECT_FALSE(form->Chart1->Series(0)->PointerVisible());
    // The catalogue: seven pages, nothing selected, nothing loaded.
    ASSERT_EQ(form->Name_UIComboBox->count(), 7);
    EXPECT_EQ(form->Name_UIComboBox->itemText(0), "Anchorage 2006.html");
    EXPECT_EQ(form->Name_UIComboBox->itemText(6), "YUMA 2006.html");
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), -1);
    EXPECT_EQ(form->jtSpinEdit1->AsInt(), 1);
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(FormTest, settingsFile_overridesProfilesColoursAndCatalogue)
{
    WriteSettings(
        "[Temperature]\r\nmin = 30\r\nmax = 60\r\n[DALR]\r\n0 = 15\r\n20000 = -181\r\n"
        "color = $00ff00\r\n[Display at start]\r\nfile = tucson 2006.HTML\r\nms_per_frame = 250\r\n"
        "[soundings]\r\nTucson 2006.html=\r\nOther.html=\r\nnot a key\r\n; comment\r\n");
    Write("Tucson 2006.html", MakePage(4));
    auto form = MakeForm();
    // A range wholly above the window's starting range is accepted.
    EXPECT_DOUBLE_EQ(form->Chart1->BottomAxis().Minimum(), 30);
    EXPECT_DOUBLE_EQ(form->Chart1->BottomAxis().Maximum(), 60);
    EXPECT_EQ(form->Chart1->Series(2)->Color(), 0x00FF00u);
    EXPECT_EQ(form->DALR_Color_UIPanel->Color(), 0x00FF00u);
    ASSERT_EQ(form->Name_UIComboBox->count(), 2);
    EXPECT_EQ(form->Name_UIComboBox->itemText(1), "Other.html");
    // The start page, named in other letter case, is selected and loaded
    // before the window is shown.
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), 0);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->LapseRates->Count(), 4);
    EXPECT_EQ(form->windowTitle(), "Profilora - Tucson 2006.html");
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    EXPECT_EQ(form->Timer1->interval(), 250);
    EXPECT_EQ(form->jtSpinEdit1->AsInt(), 250);
}

TEST_F(FormTest, msPerFrameWord_readsZeroAndIsClampedByTheSpinEdit)
{
    WriteSettings("[Display at start]\r\nms_per_frame = fast\r\n");
    auto form = MakeForm();
    EXPECT_EQ(form->jtSpinEdit1->AsInt(), 1);
}

TEST_F(FormTest, sectionWithoutColour_keepsTheEnginesColourInItsPanel)
{
    auto form = MakeForm();
    TLineSeries* elr = form->Chart1->Series(3);
    EXPECT_EQ(elr->Count(), 2);
    EXPECT_EQ(form->ELR_Color_UIPanel->Color(), elr->Color());
}

TEST_F(FormTest, decimalAltitudeKey_endsTheStartUp)
{
    WriteSettings("[SALR]\r\n11000.5 = -30\r\n");
    try {
        MakeForm();
        FAIL() << "the window must not be created";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'11000.5' is not a valid integer value");
        app::ShowStartupError(e);
    }
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Caption, "Application Error");
    EXPECT_EQ(prompts.Boxes[0].Text.rfind("Exception EConvertError in module profilora at ", 0), 0u);
    EXPECT_NE(prompts.Boxes[0].Text.find(".\n'11000.5' is not a valid integer value."), std::string::npos);
    EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Error);
}

TEST_F(FormTest, axisMinimumAboveMaximum_endsTheStartUpWithTheChartMessage)
{
    WriteSettings("[Altitude]\r\nmin = 500\r\nmax = 100\r\n");
    try {
        MakeForm();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Axis Minimum Value must be <= Maximum");
    }
}

TEST_F(FormTest, displayScaling_versionSixKeepsPixelsAndReplacesTheFont)
{
    system.MajorVersion = 6;
    auto form = MakeForm();
    EXPECT_FALSE(form->Scaled());
    EXPECT_TRUE(form->AutoScroll());
    EXPECT_EQ(form->FontName(), "microsoft sans serif");
}

TEST_F(FormTest, displayScaling_versionFiveKeepsTheFont)
{
    system.MajorVersion = 5;
    auto form = MakeForm();
    EXPECT_TRUE(form->Scaled());
    EXPECT_TRUE(form->AutoScroll());
    EXPECT_EQ(form->FontName(), "MS Sans Serif");
}

// ---------------------------------------------------------------- frames

class LoadedForm : public FormTest {
protected:
    std::unique_ptr<TForm1> form;
    void Load(const std::string& name, int soundings)
    {
        Write(name, MakePage(soundings));
        form->jtFile_IO1Open(form->jtFile_IO1, Path(name));
    }
    void SetUp() override
    {
        FormTest::SetUp();
        form = MakeForm();
    }
};

TEST_F(LoadedForm, firstTickAfterALoadShowsTheSecondSounding)
{
    Load("a.html", 5);
    ASSERT_EQ(form->LapseRates->Count(), 5);
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->Next_UIButton->isEnabled());
    EXPECT_EQ(form->TrackBar1->Max(), 4);
    form->Timer1Timer(form->Timer1);
    EXPECT_EQ(form->LapseRates->Current, 1);
    EXPECT_EQ(form->TrackBar1->Position(), 1);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S1");
    // Slot 0 shows sounding 1: its first level's temperature is 20 - 1.
    TLineSeries* t = form->Chart1->Series(0);
    ASSERT_EQ(t->Count(), 3);
    EXPECT_DOUBLE_EQ(t->XValue(0), 19);
}

TEST_F(LoadedForm, nextAndPrevWrapAround)
{
    Load("a.html", 3);
    form->Animate_CheckBox->setChecked(false);
    form->TrackBar1->SetPosition(2);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S2");
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(form->TrackBar1->Position(), 0);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S0");
    form->Prev_UIButtonClick(form->Prev_UIButton);
    EXPECT_EQ(form->TrackBar1->Position(), 2);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S2");
}

TEST_F(LoadedForm, shorterPageClampsTheTrackBarAndShowsTheLastSounding)
{
    Load("long.html", 30);
    form->TrackBar1->SetPosition(25);
    EXPECT_EQ(form->TrackBar1->Frequency(), 30 - 1 > 0 ? (29 / 12) + 1 : 1);
    Load("short.html", 5);
    EXPECT_EQ(form->TrackBar1->Max(), 4);
    EXPECT_EQ(form->TrackBar1->Position(), 4);
    EXPECT_EQ(form->LapseRates->Current, 4);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S4");
    EXPECT_EQ(form->TrackBar1->Frequency(), 1);
}

TEST_F(LoadedForm, pageWithoutSoundings_keepsTheTrackBarRangeAndStaysStopped)
{
    Load("a.html", 13);
    EXPECT_EQ(form->TrackBar1->Frequency(), 2);
    Write("empty.html", "<!-- end: NCDC PAGE HEADER --> nothing here <!-- NCDC PAGE FOOTER -->");
    form->jtFile_IO1Open(form->jtFile_IO1, Path("empty.html"));
    EXPECT_EQ(form->LapseRates->Count(), 0);
    EXPECT_EQ(form->TrackBar1->Max(), 12);
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
    EXPECT_FALSE(form->Timer1->isActive());
    // Navigation on the emptied set draws nothing and does not fail.
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "");
}

TEST_F(LoadedForm, badDataFile_showsItsMessage)
{
    Load("a.html", 3);
    Write("bad.html", "<html>no markers</html>");
    form->jtFile_IO1Open(form->jtFile_IO1, Path("bad.html"));
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Caption, "Bad data file");
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
    // The caption names the page still on show, not the bad one.
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Profilora - " + Path("a.html")));
}

TEST_F(LoadedForm, missingCatalogueFile_isShownAndKeepsThePreviousPage)
{
    Load("a.html", 3);
    form->Name_UIComboBox->addItem("missing.html");
    form->Name_UIComboBox->setCurrentIndex(form->Name_UIComboBox->count() - 1);
    app::RunHandler([&] { form->Name_UIComboBoxChange(form->Name_UIComboBox); });
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "File not found\n\n        " + Path("missing.html") + ".");
    EXPECT_EQ(prompts.Boxes[0].Caption, "profilora");
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Profilora - " + Path("a.html")));
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
    EXPECT_EQ(form->LapseRates->Count(), 3);
    EXPECT_EQ(form->TrackBar1->Max(), 2);
    ASSERT_FALSE(system.Cursors.empty());
    EXPECT_EQ(system.Cursors.back(), platform::CursorShape::Default);
}

TEST_F(LoadedForm, readFileThroughTheDialog_thenCatalogueLooksInThatDirectory)
{
    QTemporaryDir other;
    const std::string pageA = other.filePath("a.html").toStdString();
    std::ofstream(pageA) << MakePage(2);
    std::ofstream(other.filePath("b.html").toStdString()) << MakePage(6);
    Write("b.html", MakePage(1));  // the same name beside the program
    form->Name_UIComboBox->setCurrentIndex(0);
    prompts.OpenAnswers.push_back(pageA);
    form->Button2->click();
    ASSERT_EQ(prompts.OpenDialogs.size(), 1u);
    EXPECT_EQ(prompts.OpenDialogs[0].Filter,
              "Upper-air data (*.html *.txt *.gz *.zip)|*.html;*.txt;*.gz;*.zip|Soundings (*.html)|*.html|"
              "All files (*.*)|*.*");
    EXPECT_EQ(prompts.OpenDialogs[0].InitialDir + "profilora", system.Program);
    EXPECT_EQ(form->Name_UIComboBox->currentIndex(), -1);
    EXPECT_EQ(form->LapseRates->Count(), 2);
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Profilora - " + pageA));
    form->Name_UIComboBox->addItem("b.html");
    form->Name_UIComboBox->setCurrentIndex(form->Name_UIComboBox->count() - 1);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    EXPECT_EQ(form->LapseRates->Count(), 6);
}

TEST_F(LoadedForm, cancelledDialog_loadsNothing)
{
    form->Button2->click();
    EXPECT_EQ(prompts.OpenDialogs.size(), 1u);
    EXPECT_EQ(form->LapseRates->Count(), 0);
    EXPECT_EQ(form->windowTitle(), "Profilora");
}

TEST_F(LoadedForm, loadShowsTheHourglassAndRestoresTheCursor)
{
    Load("a.html", 2);
    ASSERT_EQ(system.Cursors.size(), 2u);
    EXPECT_EQ(system.Cursors[0], platform::CursorShape::Hourglass);
    EXPECT_EQ(system.Cursors[1], platform::CursorShape::Default);
}

TEST_F(LoadedForm, badNumberInAPage_isShownByTheGeneralHandlerAndTheProgramGoesOn)
{
    std::string page = MakePage(3);
    page.replace(page.find(">1000<"), 6, ">1O00<");
    Write("broken.html", page);
    app::RunHandler([&] { form->jtFile_IO1Open(form->jtFile_IO1, Path("broken.html")); });
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "'1O00' is not a valid floating point value.");
    EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Error);
    EXPECT_FALSE(form->Animate_CheckBox->isChecked());
    // The window still works.
    form->Next_UIButtonClick(form->Next_UIButton);
}

TEST_F(LoadedForm, extraSeriesFollowTheFrameWhileChecked)
{
    Load("a.html", 3);
    form->Animate_CheckBox->setChecked(false);
    // Before the first step no sounding is current: nothing to draw.
    form->DewPoint_UICheckBox->setChecked(true);
    EXPECT_EQ(form->Chart1->Series(5)->Count(), 0);
    form->DewPoint_UICheckBox->setChecked(false);
    form->Next_UIButtonClick(form->Next_UIButton);
    form->DewPoint_UICheckBox->setChecked(true);
    TLineSeries* dew = form->Chart1->Series(5);
    EXPECT_TRUE(dew->Active());
    const int shown = form->LapseRates->Current;
    ASSERT_EQ(dew->Count(), 3);
    EXPECT_DOUBLE_EQ(dew->YValue(0), 100 + shown);
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_DOUBLE_EQ(dew->YValue(0), 100 + form->LapseRates->Current);
    form->DewPoint_UICheckBox->setChecked(false);
    EXPECT_FALSE(dew->Active());
    const double kept = dew->YValue(0);
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_DOUBLE_EQ(dew->YValue(0), kept);
    // Wind direction plots divided by ten.
    form->WindDirection_UICheckBox->setChecked(true);
    EXPECT_DOUBLE_EQ(form->Chart1->Series(6)->XValue(0), 9);
}

TEST_F(LoadedForm, markersAndPointsFollowTheirBoxes)
{
    form->Markers_CheckBox->setChecked(true);
    EXPECT_TRUE(form->Chart1->Series(0)->MarksVisible());
    form->Points_CheckBox->setChecked(true);
    EXPECT_TRUE(form->Chart1->Series(0)->PointerVisible());
    form->Points_CheckBox->setChecked(false);
    EXPECT_FALSE(form->Chart1->Series(0)->PointerVisible());
}

TEST_F(LoadedForm, spinEditSetsTheIntervalAtOnce)
{
    form->jtSpinEdit1->SetAsInt(250);
    form->Animate_CheckBox->setChecked(true);
    EXPECT_EQ(form->Timer1->interval(), 250);
    form->jtSpinEdit1->SetAsInt(40);
    EXPECT_EQ(form->Timer1->interval(), 40);
}

// ---------------------------------------------------------------- styling

TEST_F(LoadedForm, dalrScrollBar_movesTheWholeLine)
{
    TLineSeries* dalr = form->Chart1->Series(2);
    form->ScrollBar1->setValue(30);
    EXPECT_DOUBLE_EQ(dalr->XValue(0), -166);
    EXPECT_DOUBLE_EQ(dalr->XValue(1), 30);
    form->ScrollBar1->setValue(15);
    EXPECT_DOUBLE_EQ(dalr->XValue(0), -181);
    EXPECT_DOUBLE_EQ(dalr->XValue(1), 15);
    // Hidden lines move too.
    EXPECT_FALSE(dalr->Active());
}

TEST_F(FormTest, reversedLine_scrollBarMovesItsSecondPoint)
{
    // A section that lists the ground point first: the scroll bar moves the
    // second point, the one at 20000 m, and the ground point follows.
    auto form = MakeForm();
    TLineSeries* dalr = form->Chart1->Series(2);
    dalr->Clear();
    dalr->AddXY(15, 0);
    dalr->AddXY(-181, 20000);
    form->ScrollBar1->setValue(16);
    EXPECT_DOUBLE_EQ(dalr->XValue(1), 16);
    EXPECT_DOUBLE_EQ(dalr->XValue(0), 212);
}

TEST_F(FormTest, settingsFileKeepsTheDefaultOrderOfKnownKeys)
{
    // Keys already in the default text keep their place whatever order the
    // file gives them, so the DALR line still moves at its ground point.
    WriteSettings("[DALR]\r\n0 = 15\r\n20000 = -181\r\n");
    auto form = MakeForm();
    form->ScrollBar1->setValue(16);
    TLineSeries* dalr = form->Chart1->Series(2);
    EXPECT_DOUBLE_EQ(dalr->YValue(1), 0);
    EXPECT_DOUBLE_EQ(dalr->XValue(1), 16);
    EXPECT_DOUBLE_EQ(dalr->XValue(0), -180);
}

TEST_F(FormTest, lapseRateWithOnePoint_scrollBarDoesNothing)
{
    auto form = MakeForm();
    TLineSeries* salr = form->Chart1->Series(4);
    salr->Clear();
    salr->AddXY(1, 2);
    form->ScrollBar3->setValue(40);
    ASSERT_EQ(salr->Count(), 1);
    EXPECT_DOUBLE_EQ(salr->XValue(0), 1);
}

TEST_F(LoadedForm, colourDialog_confirmedAndCancelled)
{
    prompts.ColorAnswers.push_back(std::nullopt);
    form->Set_Color(form->DALR_Color_UIPanel);
    ASSERT_EQ(prompts.ColorDialogs.size(), 1u);
    EXPECT_EQ(prompts.ColorDialogs[0], 0x8000FFu);
    EXPECT_EQ(form->DALR_Color_UIPanel->Color(), 0x8000FFu);
    prompts.ColorAnswers.push_back(0x123456u);
    form->Set_Color(form->DALR_Color_UIPanel);
    EXPECT_EQ(form->DALR_Color_UIPanel->Color(), 0x123456u);
    EXPECT_EQ(form->Chart1->Series(2)->Color(), 0x123456u);
}

TEST_F(LoadedForm, enableSeries_showsAndHidesBySlot)
{
    form->Standard_Atmosphere_UICheckBox->setChecked(true);
    EXPECT_TRUE(form->Chart1->Series(1)->Active());
    form->Standard_Atmosphere_UICheckBox->setChecked(false);
    EXPECT_FALSE(form->Chart1->Series(1)->Active());
    form->CheckBox1->setChecked(true);
    EXPECT_TRUE(form->Chart1->Series(4)->Active());
}

TEST(GeneralHandler, appendsAPeriodOnlyAfterLettersAndDigits)
{
    EXPECT_EQ(app::WithPeriod("Disk full"), "Disk full.");
    EXPECT_EQ(app::WithPeriod("Value 12"), "Value 12.");
    EXPECT_EQ(app::WithPeriod("Done."), "Done.");
    EXPECT_EQ(app::WithPeriod("Why?"), "Why?.");  // '?' sorts after '.'
    EXPECT_EQ(app::WithPeriod("a - "), "a - ");
    EXPECT_EQ(app::WithPeriod(""), "");
}

TEST(GeneralHandler, titleFromTheProgramFileName)
{
    platform::FakeSystem sys;
    platform::ScopedPlatform guard(nullptr, &sys, nullptr);
    sys.Program = "/usr/share/profilora/PROFILORA.bin.x";
    EXPECT_EQ(app::ProgramTitle(), "Profilora");
}

}  // namespace
