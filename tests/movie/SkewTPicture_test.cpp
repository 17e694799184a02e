// The skew-T pictures: the parcel, its shading and the box come from the
// indices' own functions (the launch of January 2016 with the largest CAPE
// shaded red between its LFC and EL), the barbs stand at levels with wind,
// and the settings' pressure range is used when the diagram can show it.

#include "movie/SkewTPicture.h"

#include "chart/Chart.h"
#include "components/jtINI_File.h"
#include "sounding/Indices.h"
#include "sounding/SoundingSources.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace {

TLapseRates January()
{
    TLapseRates rates;
    TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html");
    EXPECT_TRUE(r.Ok()) << r.Error;
    rates.SetSoundings(std::move(r.Soundings));
    return rates;
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
};

TEST(SkewTPicture, parcelShadingAndBoxComeFromTheIndices)
{
    TLapseRates rates = January();
    ASSERT_GT(rates.Count(), 50);
    int best = -1;
    double bestCape = -1;
    for (int k = 0; k < rates.Count(); ++k) {
        const auto cape = sounding::ComputeIndices(rates.Soundings[std::size_t(k)]).Cape;
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
    movie::TSkewTPictures pictures(settings.Ini, chart, rates);
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
        {"5", "1050", 100, 1050},   // above what the diagram shows
        {"900", "850", 100, 1050},  // reversed
    };
    TLapseRates rates = January();
    TChart chart;
    for (const auto& c : cases) {
        std::vector<std::string> lines{"[Skew-T]"};
        if (*c.Top) lines.push_back(std::string("PressureTop = ") + c.Top);
        if (*c.Bottom) lines.push_back(std::string("PressureBottom = ") + c.Bottom);
        Settings settings(lines);
        movie::TSkewTPictures pictures(settings.Ini, chart, rates);
        EXPECT_EQ(pictures.Diagram().PressureTop(), c.ExpectTop) << c.Top;
        EXPECT_EQ(pictures.Diagram().PressureBottom(), c.ExpectBottom) << c.Top;
    }
}

}  // namespace
