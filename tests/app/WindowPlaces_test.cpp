// The year, skew-T and indices windows: the program's settings file is never
// written, their places are kept in the user's configuration folder and
// come back (on a screen), they open beside the main window rather than
// over its chart, and the captions name the launch and the page on show.

#include "ExtrasSupport.h"

#include "app/IndicesWindow.h"
#include "app/SkewTWindow.h"
#include "app/WindowPlaces.h"
#include "app/YearWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <functional>

namespace {

using namespace extras_test;

class WindowPlacesTest : public ExtrasTest {
protected:
    struct TWindow {
        const char* Name;
        std::function<QWidget*(TForm1&)> Open;
    };
    static std::vector<TWindow> Windows()
    {
        return {{"YearWindow",
                 [](TForm1& F) -> QWidget* {
                     F.Extras->YearAction->trigger();
                     return F.Extras->YearWindow();
                 }},
                {"SkewTWindow",
                 [](TForm1& F) -> QWidget* {
                     F.Extras->SkewT().Action->trigger();
                     return F.Extras->SkewT().Window();
                 }},
                {"IndicesWindow", [](TForm1& F) -> QWidget* {
                     F.Extras->IndicesAction->trigger();
                     return F.Extras->IndicesWindow();
                 }}};
    }
};

TEST_F(WindowPlacesTest, settingsFileStaysAsItIsAndPlacesComeBackOnAScreen)
{
    // CR LF and a first place for the skew-T, as a user may have written it.
    const std::string ini =
        "[Display at start]\r\nfile = none.html\r\n\r\n[Skew-T]\r\nLeft = 30\r\nTop = 40\r\n"
        "Width = 500\r\nHeight = 420\r\n";
    Write("profilora.ini", ini);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    MakeForm();
    Load("five.html", MakePage(5));
    int n = 0;
    for (const TWindow& w : Windows()) {
        QWidget* window = w.Open(*form);
        ASSERT_NE(window, nullptr) << w.Name;
        window->resize(700 + 10 * n, 540 + 5 * n);
        window->move(screen.left() + 20 + n, screen.top() + 30 + n);
        ++n;
    }
    form->close();
    EXPECT_EQ(Read(Path("profilora.ini")), ini);
    EXPECT_FALSE(Exists(Path("profilora.bak")));

    // The next start: each where it was left; a place off every screen
    // falls back to the one beside the main window.
    form.reset();
    std::string kept = Read(Path("config/profilora/windows.ini"));
    const std::size_t indices = kept.find("IndicesWindow=");
    ASSERT_NE(indices, std::string::npos) << kept;
    kept.replace(indices, kept.find('\n', indices) - indices, "IndicesWindow=-30000,-30000,300,400");
    Write("config/profilora/windows.ini", kept);
    MakeForm();
    n = 0;
    for (const TWindow& w : Windows()) {
        QWidget* window = w.Open(*form);
        const QRect place(window->frameGeometry().topLeft(), window->size());
        if (std::string(w.Name) == "IndicesWindow")
            EXPECT_TRUE(screen.intersects(place)) << w.Name;
        else
            EXPECT_EQ(place, QRect(screen.left() + 20 + n, screen.top() + 30 + n, 700 + 10 * n, 540 + 5 * n))
                << w.Name;
        ++n;
    }
    form->close();
    EXPECT_EQ(Read(Path("profilora.ini")), ini);
}

// Beside the main window, not over its chart: on a wide and on a small screen.
TEST(WindowPlaces, newWindowsOpenBesideTheMainWindow)
{
    struct Row {
        QRect Screen, Main;
        QSize Size;
        app::TSideOrder Order;
    };
    const Row rows[] = {
        {QRect(0, 0, 1280, 1024), QRect(0, 0, 870, 510), QSize(708, 650), app::TSideOrder::RightFirst},
        {QRect(0, 0, 1280, 1024), QRect(0, 0, 870, 510), QSize(400, 700), app::TSideOrder::RightFirst},
        {QRect(0, 0, 1280, 1024), QRect(450, 100, 870, 510), QSize(708, 650), app::TSideOrder::RightFirst},
        {QRect(0, 0, 1280, 1024), QRect(0, 0, 870, 510), QSize(900, 500), app::TSideOrder::BelowFirst},
        {QRect(0, 0, 1920, 1080), QRect(100, 100, 870, 510), QSize(708, 650), app::TSideOrder::RightFirst},
    };
    for (const Row& r : rows) {
        const QRect frame = app::PlaceBesideMain(r.Main, r.Size, r.Size * 0.6, r.Screen, r.Order);
        // The chart fills the main window's left 730 pixels.
        const QRect chart(r.Main.topLeft(), QSize(730, r.Main.height()));
        EXPECT_FALSE(frame.intersects(chart)) << r.Main.x() << " " << r.Size.width();
        EXPECT_TRUE(r.Screen.contains(frame));
        EXPECT_GE(frame.width(), r.Size.width() * 0.6);
    }
}

TEST_F(WindowPlacesTest, captionsNameTheLaunchAndThePageOnShow)
{
    MakeForm();
    Load("five.html", MakePage(5));
    form->TrackBar1->SetPosition(2);
    for (const TWindow& w : Windows()) {
        const std::string caption = w.Open(*form)->windowTitle().toStdString();
        if (std::string(w.Name) == "YearWindow") continue;  // the whole page, no launch
        EXPECT_NE(caption.find(" - S2 - five.html"), std::string::npos) << caption;
    }
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(form->Extras->IndicesWindow()->windowTitle().toStdString(), "Launch Indices - S3 - five.html");
    EXPECT_EQ(form->Extras->SkewT().Window()->windowTitle().toStdString(), "Skew-T log-p - S3 - five.html");
}

}  // namespace
