// The indices window follows the frame on show by every road the movie
// takes (tick, Next/Prev, track bar, a date range, a new page) and reads
// "none" where the sounding cannot give a value.

#include "ExtrasSupport.h"

#include "app/IndicesWindow.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

using namespace extras_test;

class IndicesWindowTest : public ExtrasTest {
protected:
    app::TIndicesWindow& Open()
    {
        form->Extras->IndicesAction->trigger();
        app::TIndicesWindow* w = form->Extras->IndicesWindow();
        EXPECT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        return *w;
    }
    std::string Caption() const { return form->Extras->IndicesWindow()->Caption->text().toStdString(); }
    std::string Shown() const { return form->LapseRates->Soundings[std::size_t(form->LapseRates->Current)].Title; }
};

TEST_F(IndicesWindowTest, followsTheMovie)
{
    MakeForm();
    // From 1000 to 300 hPa, each launch with its own lapse rate.
    Load("five.html", MakePage(5, 8, [](int S, int L) { return 20 - (5.0 + S) * L; }));
    app::TIndicesWindow& w = Open();
    EXPECT_EQ(w.windowTitle().toStdString(), "Launch Indices");
    EXPECT_EQ(Caption(), "S0");
    std::string totals = w.ValueOf("Vertical totals index");
    EXPECT_NE(totals.find('.'), std::string::npos) << totals;

    const std::pair<const char*, std::function<void()>> moves[] = {
        {"next", [&] { form->Next_UIButtonClick(form->Next_UIButton); }},
        {"tick", [&] { form->Timer1Timer(form->Timer1); }},
        {"prev", [&] { form->Prev_UIButtonClick(form->Prev_UIButton); }},
        {"track bar", [&] { form->TrackBar1->SetPosition(4); }},
    };
    for (const auto& [name, move] : moves) {
        move();
        EXPECT_EQ(Caption(), Shown()) << name;
        // Steeper lapse rates, larger totals: each launch its own.
        EXPECT_NE(w.ValueOf("Vertical totals index"), totals) << name;
        totals = w.ValueOf("Vertical totals index");
    }

    // A page whose launches end below 500 hPa: what needs 500 hPa reads none.
    Load("low.html", MakePage(2, 3));
    EXPECT_EQ(Caption(), Shown());
    EXPECT_EQ(w.ValueOf("Lifted index"), "none");
    EXPECT_EQ(w.ValueOf("K index"), "none");

    // A date range moves the movie to its first launch.
    Load("january.html", testfiles::Slurp(std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html"));
    EXPECT_EQ(Caption(), Shown());
    form->TrackBar1->SetPosition(0);
    EXPECT_EQ(Caption(), "94610 2016-01-01 00Z");
    EXPECT_EQ(w.ValueOf("K index"), "16.50");  // the page prints 16.50
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2016-01-10", "2016-01-12"});
    form->DateRange_Action->trigger();
    EXPECT_EQ(Caption(), "94610 2016-01-10 00Z");
    EXPECT_EQ(Caption(), Shown());

    // Closed, it no longer follows; opened again, it shows the frame on show.
    w.close();
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_EQ(Caption(), "94610 2016-01-10 00Z");
    Open();
    EXPECT_EQ(Caption(), Shown());
}

}  // namespace
