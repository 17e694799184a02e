// The skew-T window: it follows every road of the movie and moves the movie
// by its keys, shows each new page (an empty one as an empty diagram with a
// note), closes with the main window, and keeps its place.

#include "ExtrasSupport.h"

#include "app/SkewTWindow.h"
#include "chart/SkewT.h"
#include "components/jtINI_File.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace extras_test;

class SkewTWindowTest : public ExtrasTest {
protected:
    app::TSkewTWindow& Open()
    {
        form->Extras->SkewT().Action->trigger();
        app::TSkewTWindow* w = form->Extras->SkewT().Window();
        EXPECT_NE(w, nullptr);
        QCoreApplication::processEvents();
        return *w;
    }
    // The title of the launch the diagram shows, or "" for none.
    std::string Shown() const
    {
        const chart::TSkewT& d = *form->Extras->SkewT().Window()->Diagram;
        if (d.NoteShown()) return "";
        const std::string box = d.BoxText();
        return box.substr(0, box.find('\n'));
    }
};

TEST_F(SkewTWindowTest, followsTheMovieAndMovesItBothWays)
{
    MakeForm();
    Load("five.html", MakePage(5));
    app::TSkewTWindow& w = Open();
    EXPECT_EQ(w.windowTitle().toStdString(), "Skew-T log-p - S0 - five.html");
    EXPECT_EQ(Shown(), "S0");

    const std::pair<const char*, std::function<void()>> moves[] = {
        {"next", [&] { form->Next_UIButtonClick(form->Next_UIButton); }},
        {"tick", [&] { form->Timer1Timer(form->Timer1); }},
        {"prev", [&] { form->Prev_UIButtonClick(form->Prev_UIButton); }},
        {"track bar", [&] { form->TrackBar1->SetPosition(4); }},
        {"key left", [&] { QTest::keyClick(&w, Qt::Key_Left); }},
        {"key right", [&] { QTest::keyClick(&w, Qt::Key_Right); }},
        {"key right at the end", [&] { QTest::keyClick(&w, Qt::Key_PageDown); }},
        {"wrap", [&] { form->Timer1Timer(form->Timer1); }},
        {"key left at the start", [&] { QTest::keyClick(&w, Qt::Key_PageUp); }},
    };
    const int expected[] = {1, 2, 1, 4, 3, 4, 4, 0, 0};
    int i = 0;
    for (const auto& [name, move] : moves) {
        move();
        EXPECT_EQ(form->TrackBar1->Position(), expected[i]) << name;
        EXPECT_EQ(Shown(), "S" + std::to_string(form->TrackBar1->Position())) << name;
        ++i;
    }

    // The line below the diagram reads the point under the mouse: level 1
    // of these pages lies at 900 hPa, 1000 m plus the launch's index.
    w.Diagram->RenderToImage(w.Diagram->size());
    const QPoint at = w.Diagram->MouseSurface()->mapFrom(w.Diagram, w.Diagram->PointOf(0, 900));
    QTest::mouseMove(w.Diagram->MouseSurface(), at);
    const QString readout = w.Readout->text();
    const QRegularExpression pattern("^(899|900|901) hPa, 1\\.1\\d km, T 1\\d\\.\\d C, Td \\d+\\.\\d C, parcel ");
    EXPECT_TRUE(pattern.match(readout).hasMatch()) << readout.toStdString();

    // The parcel menu switches the parcel the diagram lifts.
    QMenu* popped = nullptr;
    w.PopupMenu = [&](QMenu& Menu, QPoint) { popped = &Menu; };
    QTest::mouseClick(w.Diagram->MouseSurface(), Qt::RightButton, {}, QPoint(200, 200));
    ASSERT_EQ(popped, w.ParcelMenu);
    w.MostUnstableAction->trigger();
    EXPECT_EQ(w.Diagram->ParcelKind(), sounding::TParcelKind::MostUnstable);
    EXPECT_EQ(w.Diagram->Parcel().Kind, sounding::TParcelKind::MostUnstable);

    // Closed, it no longer follows; reopened, it catches up; it goes with
    // the main window.
    w.close();
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(Shown(), "S0");
    form->Extras->SkewT().ShowWindow();
    EXPECT_EQ(Shown(), "S1");
    EXPECT_EQ(OpenWindows("SkewTWindow"), 1);
    form->close();
    EXPECT_EQ(OpenWindows("SkewTWindow"), 0);
}

TEST_F(SkewTWindowTest, followsEachPageAnEmptyOneWithANote)
{
    MakeForm();
    Load("five.html", MakePage(5));
    app::TSkewTWindow& w = Open();
    Load("eight.html", MakePage(8));
    EXPECT_EQ(w.windowTitle().toStdString(), "Skew-T log-p - S0 - eight.html");
    EXPECT_EQ(Shown(), "S0");
    Load("empty.html", MakePage(0));
    EXPECT_TRUE(w.Diagram->NoteShown());
    form->Timer1Timer(form->Timer1);
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_TRUE(w.Diagram->NoteShown());
    Load("three.html", MakePage(3));
    EXPECT_EQ(Shown(), "S0");
}

// The settings' place is the first one; where the user leaves the window is
// kept in the user's configuration folder, never in the settings.
TEST_F(SkewTWindowTest, takesItsFirstPlaceFromTheSettingsAndKeepsItElsewhere)
{
    const std::string ini =
        "[Display at start]\nfile = none.html\n\n[Skew-T]\nLeft = 30\nTop = 40\nWidth = 500\nHeight = 520\n";
    Write("profilora.ini", ini);
    system.Program = Path("profilora");
    MakeForm();
    app::TSkewTWindow& w = Open();
    EXPECT_EQ(w.size(), QSize(500, 520));
    w.resize(520, 550);
    w.close();
    EXPECT_EQ(Read(Path("profilora.ini")), ini);
    const std::string kept = Read(Path("config/profilora/windows.ini"));
    EXPECT_NE(kept.find("SkewTWindow=30,40,520,550"), std::string::npos) << kept;
}

// Under a still mouse the read-out follows each new launch, whichever road
// the movie takes.
TEST_F(SkewTWindowTest, theReadoutFollowsTheLaunchUnderAStillMouse)
{
    MakeForm();
    Load("five.html", MakePage(5));
    app::TSkewTWindow& w = Open();
    w.Diagram->RenderToImage(w.Diagram->size());
    // (A point of its own: a move to where the mouse already is goes unseen.)
    const QPoint at = w.Diagram->PointOf(3, 890);
    QTest::mouseMove(w.Diagram->MouseSurface(), w.Diagram->MouseSurface()->mapFrom(w.Diagram, at));
    std::string before = w.Readout->text().toStdString();
    ASSERT_EQ(before, w.Diagram->ReadoutAt(at));
    ASSERT_NE(before.find(" hPa, 1."), std::string::npos) << before;  // about 890 hPa
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"key right", [&] { QTest::keyClick(&w, Qt::Key_Right); }},
        {"next", [&] { form->Next_UIButtonClick(form->Next_UIButton); }},
        {"tick", [&] { form->Timer1Timer(form->Timer1); }},
        {"parcel", [&] { w.MostUnstableAction->trigger(); }},
    };
    for (const auto& [name, move] : moves) {
        move();
        const std::string now = w.Readout->text().toStdString();
        EXPECT_EQ(now, w.Diagram->ReadoutAt(at)) << name;
        EXPECT_NE(now, before) << name;
        before = now;
    }
    // The diagram's menu hides the index box, and the plot takes its room.
    const QRect area = w.Diagram->Transform().Area();
    ASSERT_FALSE(w.Diagram->BoxRect().isEmpty());
    w.BoxAction->trigger();
    EXPECT_FALSE(w.Diagram->BoxShown());
    EXPECT_TRUE(w.Diagram->BoxRect().isEmpty());
    EXPECT_GT(w.Diagram->Transform().Area().height(), area.height());
}

TEST_F(SkewTWindowTest, aBadPressureRangeFallsBackWithANote)
{
    Write("profilora.ini", "[Display at start]\nfile = none.html\n\n[Skew-T]\nPressureTop = abc\n");
    system.Program = Path("profilora");
    MakeForm();
    app::TSkewTWindow& w = Open();
    EXPECT_EQ(w.Diagram->PressureTop(), chart::SkewTPressureTop);
    EXPECT_EQ(w.Readout->text().toStdString(),
              "[Skew-T] PressureTop must be a pressure from 1 to 1100 hPa, not "
              "\"abc\"; the diagram shows 1050 to 100 hPa.");
}

}  // namespace
