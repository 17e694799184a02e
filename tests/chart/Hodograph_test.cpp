// The hodograph: its inset takes the first corner no trace crosses, on every
// launch of a month; a picture of its own draws each layer in its colour and
// shades the effective layer's helicity; no winds give an empty hodograph.

#include "chart/Hodograph.h"
#include "chart/SkewT.h"
#include "sounding/SoundingSources.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(HodographInset, takesTheFirstCornerNoTraceCrossesElseTheLeastCrossed)
{
    using Traces = std::vector<std::vector<QPointF>>;
    const std::vector<QPointF> corners{{300, 10}, {10, 10}, {10, 300}};
    const struct {
        const char* Name;
        Traces Lines;
        QPointF Expect;
    } cases[] = {
        {"nothing in the way", {}, {300, 10}},
        {"a trace across the first", {{{350, 0}, {350, 400}}}, {10, 10}},
        {"a trace within the gap beside the first", {{{402, 0}, {402, 400}}}, {10, 10}},
        {"a trace wholly inside the first", {{{320, 30}, {330, 40}}}, {10, 10}},
        {"a trace passing beside the first", {{{420, 0}, {420, 400}}}, {300, 10}},
        {"the first two crossed", {{{350, 0}, {350, 400}}, {{0, 50}, {150, 50}}}, {10, 300}},
        {"all crossed, the last least", {{{0, 60}, {500, 60}}, {{105, 350}, {105, 500}}}, {10, 300}},
    };
    for (const auto& c : cases) {
        const std::optional<QRectF> rect = chart::PlaceInset(corners, QSizeF(100, 100), c.Lines, 4);
        ASSERT_TRUE(rect) << c.Name;
        EXPECT_EQ(rect->topLeft(), c.Expect) << c.Name;
        EXPECT_EQ(rect->size(), QSizeF(100, 100)) << c.Name;
    }
    EXPECT_NEAR(chart::LengthInside({{0, 0}, {200, 200}}, QRectF(50, 50, 100, 100)), 100 * std::sqrt(2.0), 1e-9);
    EXPECT_FALSE(chart::PlaceInset({}, QSizeF(100, 100), {}));
}

// On every launch of January at Perth the inset stands inside the plot, no
// temperature or dew point runs through it and no barb is drawn under it.
TEST(HodographInset, avoidsTheTracesOfEveryLaunchOfAMonth)
{
    TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html");
    ASSERT_TRUE(r.Ok()) << r.Error;
    chart::TSkewT diagram;
    diagram.RenderToImage(QSize(chart::SkewTWidth, chart::SkewTHeight));
    int upper = 0;
    for (const TSounding& s : r.Soundings) {
        diagram.ShowSounding(&s);
        const chart::TSkewTransform tr = diagram.Transform();
        const QRect inset = diagram.HodographRect();
        ASSERT_FALSE(inset.isEmpty()) << s.Title;
        EXPECT_TRUE(tr.Area().contains(inset)) << s.Title;
        EXPECT_NEAR(inset.width(), chart::SkewTWidth / 4.0, 1) << s.Title;
        std::vector<QPointF> t, td;
        for (const TSoundingLevel& l : s.Levels) {
            if (l.Pressure < 100 || l.Temperature == MissingValue) continue;
            t.push_back(tr.Pixel(l.Temperature, l.Pressure));
            if (l.DewPointDiff != MissingValue) td.push_back(tr.Pixel(l.Temperature - l.DewPointDiff, l.Pressure));
        }
        EXPECT_EQ(chart::LengthInside(t, inset), 0) << s.Title;
        EXPECT_EQ(chart::LengthInside(td, inset), 0) << s.Title;
        for (const auto& barb : diagram.Barbs()) EXPECT_FALSE(barb.Box.intersects(inset)) << s.Title;
        upper += inset.top() < tr.Area().center().y();
    }
    EXPECT_GT(upper, int(r.Soundings.size()) / 2);
}

int Count(const QImage& Image, const std::function<bool(QColor)>& Test)
{
    int n = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) n += Test(Image.pixelColor(x, y));
    return n;
}

TEST(HodographPicture, drawsEachLayerInItsColourAndShadesTheEffectiveLayer)
{
    // Winds veering through a half circle of 15 m/s from the ground to 10 km.
    chart::THodographData data;
    data.Title = "veering";
    for (int h = 0; h <= 10000; h += 500) {
        const double a = M_PI * h / 10000;
        data.Points.push_back({double(h), -15 * std::cos(a), 15 * std::sin(a)});
    }
    data.RightMover = chart::THodographWind{5, -5};
    data.LeftMover = chart::THodographWind{-5, 5};
    data.MeanWind = chart::THodographWind{0, 8};
    auto layer = [](int I) { return [I](QColor C) { return C == chart::HodographLayerColour(I); }; };
    auto shaded = [](QColor C) { return C.blue() == 255 && C.red() > 150 && C.red() < 235 && C.green() < 245; };

    // Above the legend.
    auto plot = [](const QImage& Image) { return Image.copy(0, 0, 500, 420); };
    const QImage plain = chart::RenderHodograph(data, QSize(500, 500));
    ASSERT_EQ(plain.size(), QSize(500, 500));
    for (int i = 0; i < chart::HodographLayers; ++i) EXPECT_GT(Count(plot(plain), layer(i)), 100) << i;
    EXPECT_EQ(Count(plain, shaded), 0);
    data.EffectiveBase = 0;
    data.EffectiveTop = 3000;
    EXPECT_GT(Count(chart::RenderHodograph(data, QSize(500, 500)), shaded), 1000);

    // No winds: the rings and the legend, no line, no crash.
    chart::THodographData none;
    none.RightMover = data.RightMover;
    none.EffectiveBase = 0;
    none.EffectiveTop = 3000;
    const QImage empty = chart::RenderHodograph(none, QSize(500, 500));
    for (int i = 0; i < chart::HodographLayers; ++i) EXPECT_EQ(Count(plot(empty), layer(i)), 0) << i;
    EXPECT_EQ(Count(empty, shaded), 0);
    TSounding calm;
    calm.AddLevel(1000, 100, 20, 5, MissingValue, MissingValue);
    calm.AddLevel(500, 5600, -20, 10, MissingValue, MissingValue);
    chart::TSkewT diagram;
    diagram.ShowSounding(&calm);
    EXPECT_TRUE(diagram.Hodograph().Points.empty());
    EXPECT_FALSE(diagram.RenderToImage(QSize(chart::SkewTWidth, chart::SkewTHeight)).isNull());
    EXPECT_FALSE(diagram.HodographRect().isEmpty());
}

}  // namespace
