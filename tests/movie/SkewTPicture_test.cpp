// The skew-T pictures: the parcel, its shading and the box come from the
// indices' own functions (the launch of January 2016 with the largest CAPE
// shaded red between its LFC and EL), the barbs stand at levels with wind,
// and the settings' pressure range is used when the diagram can show it.

#include "components/ProgramSettings.h"
#include "movie/SkewTPicture.h"

#include "chart/Chart.h"
#include "components/jtINI_File.h"
#include "analysis/Indices.h"
#include "sounding/SoundingSources.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <set>

namespace {

TLapseRates Month(const char* Name)
{
    TLapseRates rates;
    TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/" + Name);
    EXPECT_TRUE(r.Ok()) << r.Error;
    rates.SetSoundings(std::move(r.Soundings));
    return rates;
}

TLapseRates January() { return Month("wyoming_94610_2016_01.html"); }

int FrameOf(const TLapseRates& Rates, const std::string& Title)
{
    for (int k = 0; k < Rates.Count(); ++k)
        if (Rates.Soundings[std::size_t(k)].Title == Title) return k;
    ADD_FAILURE() << Title;
    return 0;
}

struct Settings {
    TjtINI_File Ini{nullptr};
    explicit Settings(const std::vector<std::string>& Lines)
    {
        Ini.SetIgnore_CmdLine(true);
        Ini.SetINI_Default(Lines);
        Ini.SetOpenOnLoad(false);
        Ini.Loaded();
    }
    // The settings as the pictures take them.
    settings::TProgramSettings Values() { return settings::TProgramSettings::Over(Ini); }
};

TEST(SkewTPicture, parcelShadingAndBoxComeFromTheIndices)
{
    TLapseRates rates = January();
    ASSERT_GT(rates.Count(), 50);
    int best = -1;
    double bestCape = -1;
    for (int k = 0; k < rates.Count(); ++k) {
        const auto cape = sounding::ComputeIndices(rates.Soundings[std::size_t(k)]).MixedLayer.Cape;
        if (cape && *cape > bestCape) {
            bestCape = *cape;
            best = k;
        }
    }
    ASSERT_GE(best, 0);
    const TSounding& s = rates.Soundings[std::size_t(best)];
    EXPECT_EQ(s.Title, "94610 2016-01-17 12Z");

    Settings settings({});
    TChart chart;
    movie::TSkewTPictures pictures(settings.Values(), chart, rates);
    const QImage image = pictures.RenderFrame(best, QSize(SkewTFrameWidth, SkewTFrameHeight));
    const chart::TSkewT& d = pictures.Diagram();
    const sounding::TParcel parcel = sounding::LiftParcel(s, sounding::TParcelKind::MixedLayer, false, 100);
    ASSERT_TRUE(parcel.LfcPressure && parcel.ElPressure);
    ASSERT_TRUE(d.CapeShade());
    EXPECT_DOUBLE_EQ(d.CapeShade()->first, *parcel.LfcPressure);
    EXPECT_DOUBLE_EQ(d.CapeShade()->second, *parcel.ElPressure);
    ASSERT_TRUE(d.CinShade());
    EXPECT_DOUBLE_EQ(d.CinShade()->second, *parcel.LfcPressure);
    EXPECT_EQ(d.Parcel().Path.size(), parcel.Path.size());
    EXPECT_NE(d.BoxText().find("CAPE " + std::to_string(int(std::lround(bestCape))) + " J/kg"), std::string::npos)
        << d.BoxText();

    // Red shows between the parcel and the environment halfway up the area.
    const double p = std::sqrt(*parcel.LfcPressure * *parcel.ElPressure);
    double tp = NAN;
    for (std::size_t i = 1; i < parcel.Path.size(); ++i)
        if (parcel.Path[i - 1].Pressure >= p && parcel.Path[i].Pressure <= p) tp = parcel.Path[i].Temperature;
    ASSERT_FALSE(std::isnan(tp));
    const QPoint at = d.PointOf(tp - 1.0, p);  // a degree inside the parcel's line
    const QColor c = image.pixelColor(at);
    EXPECT_GT(c.red(), c.green() + 40) << at.x() << "," << at.y();
    EXPECT_GT(c.red(), c.blue() + 40);

    // The barbs stand at levels that carry wind, and none of them elsewhere.
    ASSERT_FALSE(d.Barbs().empty());
    for (const auto& barb : d.Barbs()) {
        bool found = false;
        for (const TSoundingLevel& l : s.Levels)
            found |= l.Pressure == barb.Pressure && l.WindSpeed != MissingValue && l.WindDirection != MissingValue;
        EXPECT_TRUE(found) << barb.Pressure;
    }
}

TEST(SkewTPicture, pressureRangeFromTheSettings)
{
    const struct {
        const char* Top;
        const char* Bottom;
        double ExpectTop, ExpectBottom;
    } cases[] = {
        {"200", "1000", 200, 1000},
        {"", "", 100, 1050},
        {"5", "1050", 5, 1050},
        {"", "1100", 100, 1100},
    };
    TLapseRates rates = January();
    TChart chart;
    for (const auto& c : cases) {
        std::vector<std::string> lines{"[Skew-T]"};
        if (*c.Top) lines.push_back(std::string("PressureTop = ") + c.Top);
        if (*c.Bottom) lines.push_back(std::string("PressureBottom = ") + c.Bottom);
        Settings settings(lines);
        movie::TSkewTPictures pictures(settings.Values(), chart, rates);
        EXPECT_EQ(pictures.Diagram().PressureTop(), c.ExpectTop) << c.Top;
        EXPECT_EQ(pictures.Diagram().PressureBottom(), c.ExpectBottom) << c.Top;
    }
}

// The box names the parcel the diagram lifts and gives that parcel's values,
// the ones its LCL, LFC and EL ticks stand at.
TEST(SkewTPicture, theBoxGivesTheChosenParcelsValues)
{
    TLapseRates rates = January();
    const int k = FrameOf(rates, "94610 2016-01-17 12Z");
    const TSounding& s = rates.Soundings[std::size_t(k)];
    Settings settings({});
    TChart chart;
    movie::TSkewTPictures pictures(settings.Values(), chart, rates);
    const struct {
        sounding::TParcelKind Kind;
        const char* Name;
    } cases[] = {{sounding::TParcelKind::MixedLayer, "Mixed-layer parcel ("},
                 {sounding::TParcelKind::SurfaceBased, "Surface-based parcel ("},
                 {sounding::TParcelKind::MostUnstable, "Most-unstable parcel ("}};
    auto fixed = [](double V, int Decimals) { return QString::number(V, 'f', Decimals).toStdString(); };
    std::set<std::string> lcls;
    for (const auto& c : cases) {
        pictures.Diagram().SetParcelKind(c.Kind);
        pictures.RenderFrame(k, QSize(SkewTFrameWidth, SkewTFrameHeight));
        const sounding::TParcel parcel = sounding::LiftParcel(s, c.Kind, false, 100);
        ASSERT_TRUE(parcel.Valid && parcel.Cape && parcel.LfcPressure && parcel.ElPressure);
        const std::string box = pictures.Diagram().BoxText();
        for (const std::string& part :
             {std::string(c.Name), "LCL " + fixed(parcel.LclPressure, 0) + " hPa", "CAPE " + fixed(*parcel.Cape, 0),
              "CIN " + fixed(*parcel.Cin, 0), "LFC " + fixed(*parcel.LfcPressure, 0) + " hPa",
              "EL " + fixed(*parcel.ElPressure, 0) + " hPa"})
            EXPECT_NE(box.find(part), std::string::npos) << part << " in\n" << box;
        lcls.insert(fixed(parcel.LclPressure, 0));
        if (c.Kind == sounding::TParcelKind::MixedLayer) {
            const sounding::TIndices indices = sounding::ComputeIndices(s);
            EXPECT_NE(box.find("LI " + fixed(*indices.LiftedIndex, 1)), std::string::npos) << box;
            EXPECT_NE(box.find("LCL " + fixed(*indices.LclPressure, 0)), std::string::npos) << box;
        }
    }
    EXPECT_GE(lcls.size(), 2u);  // the parcels differ, and so do their boxes
}

// At a tall, a wide, the default and the smallest size, a summer and a
// winter launch keep their traces in the plot, the box and the barbs beside
// them, the isotherms at 45 degrees.
TEST(SkewTPicture, theLaunchStaysInViewAtEverySize)
{
    Settings settings({});
    TChart chart;
    for (const auto& [file, title] :
         {std::pair<const char*, const char*>{"wyoming_94610_2016_01.html", "94610 2016-01-17 12Z"},
          {"wyoming_94610_2016_07.html", "94610 2016-07-15 00Z"}}) {
        TLapseRates rates = Month(file);
        const int k = FrameOf(rates, title);
        movie::TSkewTPictures pictures(settings.Values(), chart, rates);
        const chart::TSkewT& d = pictures.Diagram();
        for (QSize size : {QSize(420, 1000), QSize(1270, 600), QSize(SkewTFrameWidth, SkewTFrameHeight),
                           QSize(chart::SkewTMinimumWidth, chart::SkewTMinimumHeight)}) {
            const QImage image = pictures.RenderFrame(k, size);
            const chart::TSkewTransform tr = d.Transform();
            const QRectF area = QRectF(tr.Area()).adjusted(-0.5, -1.5, 1.5, 0.5);
            for (const TSoundingLevel& l : rates.Soundings[std::size_t(k)].Levels) {
                if (l.Pressure < 100 || l.Temperature == MissingValue) continue;
                EXPECT_TRUE(area.contains(tr.Pixel(l.Temperature, l.Pressure)))
                    << size.width() << "x" << size.height() << " " << l.Pressure;
                if (l.DewPointDiff != MissingValue) {
                    EXPECT_TRUE(area.contains(tr.Pixel(l.Temperature - l.DewPointDiff, l.Pressure))) << l.Pressure;
                }
            }
            EXPECT_FALSE(d.BoxRect().isEmpty());
            EXPECT_FALSE(d.BoxRect().intersects(tr.Area())) << size.width() << "x" << size.height();
            EXPECT_TRUE(image.rect().contains(d.BoxRect())) << size.width() << "x" << size.height();
            for (const auto& barb : d.Barbs()) EXPECT_TRUE(QRectF(image.rect()).contains(barb.Box)) << barb.Pressure;
            const QPointF a = tr.Pixel(0, 1000), b = tr.Pixel(0, 300);
            EXPECT_NEAR(a.y() - b.y(), b.x() - a.x(), 1e-6);
        }
    }
}

}  // namespace
