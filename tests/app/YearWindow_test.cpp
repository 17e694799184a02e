// The year window: its marker follows every road of the movie (tick,
// Next/Prev, track bar), a click in its map moves the movie, it follows a
// new page (also an empty or unreadable one), and it closes and stops with
// the main window.

#include "ExtrasSupport.h"

#include "app/YearWindow.h"
#include "chart/ColourSection.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace extras_test;

class YearWindowTest : public ExtrasTest {
protected:
    TYearWindow& Open()
    {
        form->Extras->ShowYearWindow();
        TYearWindow* year = form->Extras->YearWindow();
        EXPECT_NE(year, nullptr);
        QCoreApplication::processEvents();
        year->Section->Redraw();
        return *year;
    }
    static QPoint ColumnPoint(TYearWindow& Year, int Column)
    {
        const TColourSection& View = *Year.Section;
        return View.MouseSurface()->mapFrom(&View, View.PointOf(Column, View.Section().HeightMax / 2));
    }
    int Marker() const { return form->Extras->YearWindow()->Section->MarkerColumn(); }
};

TEST_F(YearWindowTest, markerFollowsTheMovieAndAClickMovesIt)
{
    MakeForm();
    Load("five.html", MakePage(5));
    TYearWindow& year = Open();
    ASSERT_EQ(year.Section->Section().SoundingCount(), 5);
    EXPECT_EQ(year.windowTitle().toStdString(), "Year at a Glance - five.html");
    EXPECT_EQ(Marker(), 0);

    // Every way the frame changes moves the marker to its column.
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"next", [&] { form->Next_UIButtonClick(form->Next_UIButton); }},
        {"tick", [&] { form->Timer1Timer(form->Timer1); }},
        {"prev", [&] { form->Prev_UIButtonClick(form->Prev_UIButton); }},
        {"track bar", [&] { form->TrackBar1->SetPosition(4); }},
        {"wrap", [&] { form->Timer1Timer(form->Timer1); }},
    };
    for (const auto& [name, move] : moves) {
        move();
        EXPECT_EQ(Marker(), year.Section->Section().ColumnOf(form->LapseRates->Current)) << name;
        EXPECT_EQ(form->LapseRates->Current, form->TrackBar1->Position()) << name;
    }

    // A click on a column shows its sounding, as the track bar would.
    QTest::mouseClick(year.Section->MouseSurface(), Qt::LeftButton, {}, ColumnPoint(year, 3));
    EXPECT_EQ(form->TrackBar1->Position(), 3);
    EXPECT_EQ(form->LapseRates->Current, 3);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "S3");
    EXPECT_EQ(Marker(), 3);
    // Outside the map: nothing moves.
    QTest::mouseClick(year.Section->MouseSurface(), Qt::LeftButton, {},
                      QPoint(year.Section->MouseSurface()->width() - 5, 50));
    EXPECT_EQ(form->TrackBar1->Position(), 3);

    // The hover line reads the point under the mouse.
    QTest::mouseMove(year.Section->MouseSurface(), ColumnPoint(year, 1));
    EXPECT_NE(year.Readout->text().toStdString().find("S1, "), std::string::npos) << year.Readout->text().toStdString();

    // A second choice raises the same window.
    form->Extras->YearAction->trigger();
    EXPECT_EQ(form->Extras->YearWindow(), &year);
    EXPECT_EQ(OpenWindows("YearWindow"), 1);

    // Closed, it no longer follows; closing the main window closes it.
    year.close();
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(Marker(), 3);
    Open();
    EXPECT_EQ(Marker(), form->LapseRates->Current);
    form->close();
    EXPECT_EQ(OpenWindows("YearWindow"), 0);
}

TEST_F(YearWindowTest, followsEachPageAlsoAnEmptyOrUnreadableOne)
{
    MakeForm();
    Load("five.html", MakePage(5));
    TYearWindow& year = Open();
    Load("eight.html", MakePage(8));
    EXPECT_EQ(year.Section->Section().SoundingCount(), 8);
    EXPECT_EQ(year.windowTitle().toStdString(), "Year at a Glance - eight.html");

    // Pages without soundings: one with its markers but no tables, one
    // without (the missing-data message), one that fails while being read.
    const std::pair<const char*, std::string> empties[] = {
        {"no tables", MakePage(0)},
        {"missing data", "<html><body>nothing here</body></html>"},
    };
    for (const auto& [name, page] : empties) {
        Load(std::string(name) + ".html", page);
        EXPECT_EQ(year.Section->Section().SoundingCount(), 0) << name;
        EXPECT_EQ(year.Section->Section().Columns, 0) << name;
        EXPECT_EQ(Marker(), -1) << name;
        // The movie and a click on the empty map go on without harm.
        form->Timer1Timer(form->Timer1);
        QTest::mouseClick(year.Section->MouseSurface(), Qt::LeftButton, {},
                          year.Section->MouseSurface()->rect().center());
        EXPECT_FALSE(year.Section->RenderToImage(QSize(200, 100)).isNull()) << name;
    }
    Load("five.html", MakePage(5));
    EXPECT_EQ(year.Section->Section().SoundingCount(), 5);
}

// The caption names what the main window's caption names: several files
// as "+ N more", and the date range in force.
TEST_F(YearWindowTest, captionNamesTheFilesAndTheRangeOnShow)
{
    MakeForm();
    const std::string data = PROFILORA_DATA_DIR;
    const std::vector<std::string> files{data + "/wyoming_94610_2016_01.html", data + "/wyoming_94610_2016_02.html"};
    form->Open_Files(files);
    TYearWindow& year = Open();
    const auto main = [this] { return form->windowTitle().toStdString().substr(std::string("Profilora - ").size()); };
    EXPECT_EQ(main(), "wyoming_94610_2016_01.html + 1 more");
    EXPECT_EQ(year.windowTitle().toStdString(), "Year at a Glance - " + main());
    form->SetDateRange("2016-02-03", "2016-02-03");
    EXPECT_NE(main().find("(2016-02-03..2016-02-03)"), std::string::npos) << main();
    EXPECT_EQ(year.windowTitle().toStdString(), "Year at a Glance - " + main());
    EXPECT_EQ(year.Section->Heading(), "Station 94610, 2016-02-03");
}

}  // namespace
