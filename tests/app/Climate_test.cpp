// The station climatology in the windows: the climatology window's line in
// words and its refusal of short records, the percentile column of the
// indices window, the anomaly colours of the year window and the main
// chart's band, which changes nothing while it is off.

#include "ExtrasSupport.h"
#include "support/ZipFiles.h"

#include "analysis/ClimateViews.h"
#include "app/ClimateSource.h"
#include "app/ClimateWindow.h"
#include "app/IndicesWindow.h"
#include "app/WindowPlaces.h"
#include "chart/Chart.h"
#include "chart/ClimatePlot.h"
#include "chart/ColourSection.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <set>

#include <cmath>
#include <cstdio>

namespace {

using namespace extras_test;

// A launch at 12Z whose ground (its lowest level) lies at Surface m.
TSounding Launch(int Year, int Month, int Day, double Surface)
{
    TSounding s;
    const double levels[][3] = {{1000, 0, 15}, {850, 1400, 5}, {700, 2900, -5}, {500, 5500, -20}, {300, 9100, -45}};
    for (const auto& l : levels) s.AddLevel(float(l[0]), float(Surface + l[1]), float(l[2]), 5, 270, 10);
    s.Launch.Year = std::uint16_t(Year), s.Launch.Month = std::uint8_t(Month), s.Launch.Day = std::uint8_t(Day);
    s.Launch.Hour = 12;
    char title[32];
    std::snprintf(title, sizeof title, "72403 %04d-%02d-%02d 12Z", Year, Month, Day);
    s.Title = title;
    return s;
}

// January of Years years from 2010: the ground at 100 m in 2010, 110 m in
// 2011 and so on, so that a day's values are 31 of each.
std::vector<TSounding> Januaries(int Years)
{
    std::vector<TSounding> record;
    for (int y = 0; y < Years; ++y)
        for (int d = 1; d <= 31; ++d) record.push_back(Launch(2010 + y, 1, d, 100 + 10 * y));
    return record;
}

int ChoiceIndex(const std::string& Label)
{
    const auto& choices = sounding::ClimateChoices();
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].Label == Label) return int(i);
    return -1;
}

TEST(ClimateWindow, placesTheLaunchInWords)
{
    std::vector<TSounding> record = Januaries(5);
    // 2014-01-17 at 135 m: 124 of the 155 values of its days lie below.
    record[4 * 31 + 16] = Launch(2014, 1, 17, 135);
    const sounding::TClimatology climate = sounding::BuildClimatology(record, 1);
    app::TClimateWindow w(nullptr);
    w.Quantity->setCurrentIndex(ChoiceIndex("Surface height"));
    w.Show(&climate, "", record, &record[4 * 31 + 16], "test");
    EXPECT_EQ(w.Sentence->text().toStdString(),
              "Surface height 135.0 m on 2014-01-17 12Z: 80th percentile for the date (median 120.0 m, 5 years)");
    EXPECT_EQ(w.Span->text().toStdString().substr(0, 51), "Climatology of 2010-2014: 5 years, 155 launches; ba");
    EXPECT_TRUE(w.Plot->BandsShown());
    EXPECT_EQ(w.Plot->Notice(), "");
}

TEST(ClimateWindow, saysSoInsteadOfThinBands)
{
    // Computed anyway from four years: the window draws no bands.
    const std::vector<TSounding> record = Januaries(4);
    const sounding::TClimatology four = sounding::BuildClimatology(record, 1);
    app::TClimateWindow w(nullptr);
    w.Show(&four, "", record, &record.back(), "");
    EXPECT_FALSE(w.Plot->BandsShown());
    EXPECT_NE(w.Plot->Notice().find("fewer than 5"), std::string::npos) << w.Plot->Notice();

    // The source computes none and says why.
    app::TShownSet shown;
    app::TClimateSource source(shown);
    source.Compute(record);
    source.Wait();
    EXPECT_EQ(source.Climatology(), nullptr);
    EXPECT_EQ(source.Status(), "The launches on show span 4 years (2010-2013); a climatology needs at least 5.");
    w.Show(source.Climatology(), source.Status(), record, &record.back(), "");
    EXPECT_FALSE(w.Plot->BandsShown());
    EXPECT_EQ(w.Plot->Notice(), source.Status());

    source.Compute(Januaries(5));
    source.Wait();
    ASSERT_NE(source.Climatology(), nullptr);
    EXPECT_EQ(source.Climatology()->Years(), 5);
}

TEST(IndicesPercentiles, boldBeyondTheTenthAndNinetieth)
{
    const struct {
        double Surface;
        const char* Text;
        bool Bold;
    } cases[] = {{135, "80th", false}, {150, "99th", true}, {95, "1st", true}, {112, "40th", false}};
    for (const auto& c : cases) {
        std::vector<TSounding> record = Januaries(5);
        record[4 * 31 + 16] = Launch(2014, 1, 17, c.Surface);
        const sounding::TClimatology climate = sounding::BuildClimatology(record, 1);
        app::TIndicesWindow w(nullptr);
        w.ShowSounding(&record[4 * 31 + 16]);
        EXPECT_EQ(w.PercentileOf("Surface height"), "") << "no climatology, no percentile";
        w.SetClimatology(&climate);
        w.ShowSounding(&record[4 * 31 + 16]);
        bool bold = !c.Bold;
        EXPECT_EQ(w.PercentileOf("Surface height", &bold), c.Text) << c.Surface;
        EXPECT_EQ(bold, c.Bold) << c.Surface;
    }
}

TEST(AnomalySection, whiteAtZeroHatchedWithoutClimatology)
{
    // A climatology of January only: a July column has none.
    const sounding::TClimatology climate = sounding::BuildClimatology(Januaries(5), 1);
    std::vector<TSounding> shown = {Launch(2014, 1, 17, 100), Launch(2014, 7, 17, 100)};
    TTimeHeightSection temperature;
    temperature.Columns = 2, temperature.Rows = 3, temperature.HeightMax = 1000;
    temperature.FirstSounding = {0, 1, 2};
    temperature.Titles = {shown[0].Title, shown[1].Title};
    const float median500 = climate.TemperatureAt(12, 17, 500).Median();
    temperature.Cells = {NAN, median500, 2, 10, 10, 10};
    const TTimeHeightSection anomaly = sounding::AnomalySection(temperature, shown, climate);
    EXPECT_FLOAT_EQ(anomaly.Cell(0, 1), 0);
    EXPECT_FLOAT_EQ(anomaly.Cell(0, 2), 2 - climate.TemperatureAt(12, 17, 1000).Median());
    EXPECT_TRUE(std::isnan(anomaly.Cell(0, 0)));
    for (int r = 0; r < 3; ++r) EXPECT_TRUE(std::isnan(anomaly.Cell(1, r))) << r;

    TColourSection view;
    view.SetAnomaly(true, 4);
    EXPECT_EQ(view.ColourOf(0), QColor(Qt::white));
    EXPECT_LT(view.ColourOf(-3).red(), view.ColourOf(-3).blue());
    EXPECT_GT(view.ColourOf(3).red(), view.ColourOf(3).blue());
    // The July column shows the hatching: more than one colour in it.
    view.resize(600, 400);
    view.SetSection(anomaly);
    const QImage picture = view.RenderToImage(QSize(600, 400));
    const QPoint july = view.MouseSurface()->mapFrom(&view, view.PointOf(1, 500));
    const QPoint january = view.MouseSurface()->mapFrom(&view, view.PointOf(0, 500));
    EXPECT_EQ(QColor(picture.pixel(january)), QColor(Qt::white));
    std::set<QRgb> colours;
    for (int dx = -20; dx <= 20; ++dx) colours.insert(picture.pixel(july + QPoint(dx, 0)));
    EXPECT_GT(colours.size(), 1u);
}

}  // namespace

namespace {

// January 12Z launches of 2010-2014 as an IGRA v2 station file.
std::string IgraJanuaries()
{
    std::string text;
    char line[128];
    for (int y = 2010; y <= 2014; ++y)
        for (int d = 1; d <= 31; ++d) {
            std::snprintf(line, sizeof line,
                          "#USM00072403 %04d 01 %02d 12 2302    5 ncdc-nws ncdc-nws  389767  -774864\n", y, d);
            text += line;
            const int levels[][3] = {
                {100000, 100, 150}, {85000, 1500, 50}, {70000, 3000, -50}, {50000, 5600, -200}, {30000, 9200, -450}};
            for (int l = 0; l < 5; ++l) {
                std::snprintf(line, sizeof line, "%s %5d %6d%c%5d%c%5d%c%5d %5d %5d %5d \n", l ? "10" : "21", 0,
                              levels[l][0], 'B', levels[l][1], ' ', levels[l][2] + 10 * (y - 2012) + d % 7, 'B', 500,
                              50, 270, 10);
                text += line;
            }
        }
    return text;
}

class ClimateBandTest : public ExtrasTest {};

TEST_F(ClimateBandTest, offByDefaultChangesNothingAndIsRemembered)
{
    MakeForm();
    form->resize(800, 600);
    Load("jan.txt", IgraJanuaries());
    TChart& chart = *form->Chart1;
    chart.RenderToImage(QSize(640, 480));  // laid out at that size
    QCoreApplication::processEvents();
    const QImage before = chart.RenderToImage(QSize(640, 480));
    form->Extras->Climate().Wait();
    ASSERT_NE(form->Extras->Climate().Climatology(), nullptr) << form->Extras->Climate().Status();
    QAction& show = *form->Extras->ShowClimateAction;
    EXPECT_FALSE(show.isChecked());
    EXPECT_FALSE(chart.ClimateBandShown());
    EXPECT_TRUE(SamePixels(chart.RenderToImage(QSize(640, 480)), before));

    show.trigger();
    EXPECT_TRUE(chart.ClimateBandShown());
    const QImage banded = chart.RenderToImage(QSize(640, 480));
    EXPECT_FALSE(SamePixels(banded, before));
    form->Next_UIButtonClick(form->Next_UIButton);
    EXPECT_TRUE(chart.ClimateBandShown());

    // Kept in the state file: the next window starts with it.
    MakeForm();
    EXPECT_TRUE(form->Extras->ShowClimateAction->isChecked());
    form->Extras->ShowClimateAction->trigger();
    MakeForm();
    EXPECT_FALSE(form->Extras->ShowClimateAction->isChecked());
}

// A year of a station whose whole record lies in the download cache: the
// climatology comes from that record.
TEST_F(ClimateBandTest, shortRecordOfACachedStationUsesItsWholeRecord)
{
    setenv("XDG_CACHE_HOME", Path("cache").c_str(), 1);
    QDir().mkpath(QString::fromStdString(Path("cache/profilora/igra")));
    std::vector<TSounding> year = {Launch(2014, 1, 17, 100)};
    const std::string id = "USM00072403";
    std::copy(id.begin(), id.end(), year[0].Launch.Station.begin());
    app::TShownSet shown;
    app::TClimateSource source(shown);
    source.Compute(year);
    source.Wait();
    EXPECT_EQ(source.Climatology(), nullptr) << "nothing cached yet";
    Write("cache/profilora/igra/USM00072403-data.txt.zip", testzip::StationZip(id, IgraJanuaries()));
    source.Compute(year);
    source.Wait();
    unsetenv("XDG_CACHE_HOME");
    ASSERT_NE(source.Climatology(), nullptr) << source.Status();
    EXPECT_EQ(source.Climatology()->Years(), 5);
}

TEST(ClimateWords, ordinals)
{
    const std::pair<int, const char*> cases[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},   {11, "11th"},
                                                 {12, "12th"}, {13, "13th"}, {21, "21st"}, {22, "22nd"}, {97, "97th"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(sounding::Ordinal(n), text) << n;
}

// The option and the windows' places share the state file: keeping one
// keeps the other.
TEST_F(ClimateBandTest, optionAndPlacesKeepEachOther)
{
    QWidget window;
    window.setObjectName("SomeWindow");
    window.setGeometry(100, 120, 400, 300);
    app::KeepPlace(window);
    app::KeepOption("ShowClimatology", true);
    EXPECT_TRUE(app::KeptPlace("SomeWindow").has_value());
    window.setGeometry(150, 160, 420, 310);
    app::KeepPlace(window);
    EXPECT_TRUE(app::KeptOption("ShowClimatology", false));
    EXPECT_EQ(app::KeptPlace("SomeWindow")->size(), QSize(420, 310));
}

}  // namespace
