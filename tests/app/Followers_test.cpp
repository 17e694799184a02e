// The windows beside the main one follow the shown set's own signals: a
// frame shown and a page shown reach each of them with no other call.

#include "ExtrasSupport.h"

#include "app/IndicesWindow.h"
#include "app/SkewTWindow.h"
#include "app/YearWindow.h"
#include "chart/ColourSection.h"
#include "chart/Series.h"

#include <QAction>

#include <functional>

namespace {

using namespace extras_test;

using FollowersTest = ExtrasTest;

TEST_F(FollowersTest, eachFollowerSeesAFrameAndAPageChange)
{
    MakeForm();
    Load("five.html", MakePage(5));
    TWindowExtras& extras = *form->Extras;
    struct Row {
        const char* Name;
        std::function<void()> Open;
        std::function<std::string()> State;
        std::string AtFrame2;   // after frame 2 is shown
        std::string AfterPage;  // after the set is renamed and shown anew ("": not told)
    };
    const auto title = [](const QWidget* W) { return W ? W->windowTitle().toStdString() : std::string("closed"); };
    const Row rows[] = {
        {"year", [&] { extras.ShowYearWindow(); },
         [&] {
             const TYearWindow* w = extras.YearWindow();
             return title(w) + " @" + std::to_string(w ? w->Section->MarkerColumn() : -9);
         },
         "Year at a Glance - five.html @2", "Year at a Glance - renamed.html @2"},
        {"skew-T", [&] { extras.SkewT().ShowWindow(); }, [&] { return title(extras.SkewT().Window()); },
         "Skew-T log-p - S2 - five.html", "Skew-T log-p - S2 - renamed.html"},
        {"indices", [&] { extras.ShowIndicesWindow(); }, [&] { return title(extras.IndicesWindow()); },
         "Launch Indices - S2 - five.html", "Launch Indices - S2 - renamed.html"},
        // The trail follows frames only: the profile one frame back.
        {"trail", [&] { extras.ShowTrailAction->setChecked(true); },
         [&] {
             const TLineSeries* s = extras.Trail().Series(1);
             return s && s->Active() && s->Count() > 0 ? std::to_string(int(s->XValue(0))) + " C"
                                                       : std::string("hidden");
         },
         std::to_string(int(pages::DefaultTemperature(1, 0))) + " C", ""},
    };
    app::TShownSet& set = form->ShownSet;
    for (const Row& row : rows) {
        set.SetName("five.html");
        form->LapseRates->Current = 0;
        set.ShowFrame(0);
        row.Open();
        form->LapseRates->Current = 2;
        set.ShowFrame(2);
        EXPECT_EQ(row.State(), row.AtFrame2) << row.Name;
        set.SetName("renamed.html");
        set.PageShown();
        if (!row.AfterPage.empty()) {
            EXPECT_EQ(row.State(), row.AfterPage) << row.Name;
        }
    }
}

}  // namespace
