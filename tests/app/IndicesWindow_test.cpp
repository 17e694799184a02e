// The indices window follows the frame on show by every road the movie
// takes (tick, Next/Prev, track bar, a date range, a new page) and reads
// "none" where the sounding cannot give a value.

#include "ExtrasSupport.h"

#include "app/IndicesWindow.h"
#include "analysis/Quantities.h"
#include "support/TestFiles.h"
#include "tools/IndicesCsv.h"
#include "tools/LevelsCsv.h"

#include <QTableWidget>

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
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
    EXPECT_EQ(w.windowTitle().toStdString(), "Launch Indices - S0 - five.html");
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

// Every value of the Perth year reads in the window as the CSV files write
// it (a tie rounded to even, never "-0.0"), and the window opens with every
// row and column in view.
TEST_F(IndicesWindowTest, readsAsTheCsvFilesAndShowsEveryRow)
{
    MakeForm();
    std::vector<std::string> months;
    for (const char* m : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"})
        months.push_back(std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_" + m + ".html");
    form->Open_Files(months);
    form->Animate_CheckBox->setChecked(false);
    ASSERT_GT(form->LapseRates->Count(), 700);
    app::TIndicesWindow& w = Open();
    // The indices, then the derived levels the window lists.
    const auto rows = [](const std::string& Csv) {
        std::vector<std::vector<std::string>> table;
        std::size_t at = Csv.find('\n') + 1;
        while (at < Csv.size()) {
            const std::size_t end = Csv.find('\n', at);
            std::vector<std::string>& row = table.emplace_back();
            for (std::size_t f = at; f <= end;) {
                const std::size_t comma = std::min(Csv.find(',', f), end);
                row.push_back(Csv.substr(f, comma - f));
                f = comma + 1;
            }
            at = end + 1;
        }
        return table;
    };
    const auto indices = rows(tools::IndicesToCsv(*form->LapseRates));
    const auto levels = rows(LevelsToCsv(*form->LapseRates));
    // Each row's CSV file and field, found by the row's name in the tables.
    std::vector<std::pair<const std::vector<std::vector<std::string>>*, std::size_t>> fields;
    const auto find = [&](const auto& Table, const auto& Csv, const std::string& Name) {
        for (std::size_t c = 0; c < Table.size(); ++c)
            if (Name == Table[c].Label && Table[c].Listed) fields.push_back({&Csv, c + 2});
    };
    for (int r = 0; r < w.Table->rowCount(); ++r) {
        const std::string name = w.Table->item(r, 0)->text().toStdString();
        find(sounding::IndexQuantities(), indices, name);
        find(sounding::LevelQuantities(), levels, name);
        if (name == "Wind" && fields.size() == std::size_t(r)) fields.push_back({nullptr, 0});  // the group's heading
        ASSERT_EQ(fields.size(), std::size_t(r + 1)) << name;
    }
    int differing = 0;
    for (int f = 0; f < form->LapseRates->Count(); ++f) {
        form->TrackBar1->SetPosition(f);
        for (int r = 0; r < w.Table->rowCount(); ++r) {
            const auto [csvFile, field] = fields[std::size_t(r)];
            // Perth lies south of the equator: its helicity is the left
            // mover's there, the CSV's the right mover's.
            if (!csvFile || w.Table->item(r, 2)->text().contains("left mover")) continue;
            const std::string csv = (*csvFile)[std::size_t(f)][field];
            std::string shown = w.Table->item(r, 1)->text().toStdString();
            shown = shown.substr(0, shown.find(" ("));  // a speed also in knots
            if (shown != (csv.empty() ? "none" : csv) && ++differing < 5)
                ADD_FAILURE() << form->LapseRates->Soundings[std::size_t(f)].Title << " row " << r << ": " << shown
                              << " against " << csv;
        }
    }
    EXPECT_EQ(differing, 0);

    const QSize size = w.ContentSize();
    w.resize(size);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.Table->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(w.Table->verticalScrollBar()->isVisible());
    EXPECT_LT(size.width(), 600);
}

}  // namespace
