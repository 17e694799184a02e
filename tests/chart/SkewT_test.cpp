// The skew-T diagram: where temperatures at pressures are drawn (isotherms at
// 45 degrees at the default size and at any other), the barb glyphs, barbs
// that never overlap, and an empty diagram with its note.

#include "chart/SkewT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

using chart::TSkewTransform;

TEST(SkewTransform, placesPointsAndRunsIsothermsAt45Degrees)
{
    const TSkewTransform tr(QSize(chart::SkewTWidth, chart::SkewTHeight), 1050, 100);
    const QRect area = tr.Area();
    // 1050 hPa is the bottom, 100 hPa the top; -40 to 50 C at 1000 hPa lie
    // across, with room to spare on both sides.
    EXPECT_NEAR(tr.Pixel(0, 1050).y(), area.bottom(), 1e-9);
    EXPECT_NEAR(tr.Pixel(0, 100).y(), area.bottom() - area.height(), 1e-9);
    EXPECT_NEAR(tr.Pixel(-40, 1000).x() - area.left(), area.left() + area.width() - tr.Pixel(50, 1000).x(), 1e-9);
    EXPECT_GT(tr.Pixel(-40, 1000).x(), area.left());

    const struct {
        double T, P;
    } points[] = {{-40, 1050}, {20, 1000}, {-10, 700}, {-30, 500}, {-60, 200}, {-55, 100}};
    for (const auto& pt : points) {
        const QPointF px = tr.Pixel(pt.T, pt.P);
        EXPECT_NEAR(tr.TemperatureAt(px), pt.T, 1e-9) << pt.T << " " << pt.P;
        EXPECT_NEAR(tr.PressureAt(px.y()), pt.P, 1e-9) << pt.T << " " << pt.P;
    }
    // Isotherms rise at 45 degrees, at the default size and at others.
    for (QSize size : {QSize(chart::SkewTWidth, chart::SkewTHeight), QSize(400, 900), QSize(1400, 500)}) {
        const TSkewTransform t(size, 1050, 100);
        for (double T : {-40.0, 0.0, 30.0}) {
            const QPointF a = t.Pixel(T, 1000), b = t.Pixel(T, 250);
            EXPECT_NEAR(a.y() - b.y(), b.x() - a.x(), 1e-6) << size.width() << "x" << size.height() << " " << T;
            EXPECT_GT(b.x(), a.x());
        }
    }
}

TEST(SkewTBarbs, glyphsForFiveTenFiftyAndSixtyFiveKnots)
{
    const struct {
        double Knots;
        chart::TBarbGlyph Glyph;
        std::size_t Points;  // staff, then three points per mark
    } cases[] = {
        {1, {0, 0, 0, true}, 13},  {5, {0, 0, 1, false}, 5},   {10, {0, 1, 0, false}, 5},  {12, {0, 1, 0, false}, 5},
        {50, {1, 0, 0, false}, 5}, {65, {1, 1, 1, false}, 11}, {63, {1, 1, 1, false}, 11}, {100, {2, 0, 0, false}, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chart::BarbGlyph(c.Knots), c.Glyph) << c.Knots;
        EXPECT_EQ(chart::BarbPath(c.Glyph, 270, QPointF(100, 100)).size(), c.Points) << c.Knots;
    }
    // A west wind's staff points left (west) from the station; a north
    // wind's up; the marks stand on the clockwise side.
    const auto west = chart::BarbPath(chart::BarbGlyph(10), 270, QPointF(100, 100));
    EXPECT_NEAR(west[1].x(), 100 - chart::BarbStaff, 1e-9);
    EXPECT_NEAR(west[1].y(), 100, 1e-9);
    EXPECT_LT(west[3].y(), 100);  // the full barb points up (north)
    const auto north = chart::BarbPath(chart::BarbGlyph(10), 0, QPointF(100, 100));
    EXPECT_NEAR(north[1].y(), 100 - chart::BarbStaff, 1e-9);
    EXPECT_GT(north[3].x(), 100);  // and right (east)
    // South of the equator the same staff, the marks on the other side.
    const auto westSouth = chart::BarbPath(chart::BarbGlyph(10), 270, QPointF(100, 100), true);
    ASSERT_EQ(westSouth.size(), west.size());
    EXPECT_EQ(westSouth[1], west[1]);
    EXPECT_NEAR(westSouth[3].y() - 100, 100 - west[3].y(), 1e-9);  // down (south)
    EXPECT_NEAR(westSouth[3].x(), west[3].x(), 1e-9);
}

// A launch of Levels levels from 1000 hPa upwards, 5 hPa apart, with wind at
// every level.
TSounding DenseWinds(int Levels)
{
    TSounding s;
    s.Title = "dense";
    for (int i = 0; i < Levels; ++i) {
        const float p = 1000.0f - 5.0f * float(i);
        s.AddLevel(p, 100.0f + 45.0f * float(i), 20.0f - 0.4f * float(i), 5, float((i * 37) % 360),
                   5.0f + float(i % 30));
    }
    return s;
}

TEST(SkewTDiagram, barbsNeverOverlapAndFollowTheSize)
{
    chart::TSkewT diagram;
    const TSounding s = DenseWinds(150);
    diagram.ShowSounding(&s);
    for (QSize size : {QSize(chart::SkewTWidth, chart::SkewTHeight), QSize(500, 400)}) {
        diagram.RenderToImage(size);
        const auto& barbs = diagram.Barbs();
        // (At the small size the hodograph's inset covers the highest.)
        ASSERT_GE(barbs.size(), 5u);
        EXPECT_LT(barbs.size(), 150u);
        for (std::size_t i = 1; i < barbs.size(); ++i) {
            EXPECT_FALSE(barbs[i].Box.intersects(barbs[i - 1].Box)) << i;
            EXPECT_LT(barbs[i].Pressure, barbs[i - 1].Pressure);
        }
        EXPECT_DOUBLE_EQ(barbs.front().Pressure, 1000);
        EXPECT_NEAR(barbs.front().Knots, 5 * 3600.0 / 1852.0, 1e-9);
    }
}

TEST(SkewTDiagram, emptyLaunchLeavesANoteAndTheBackgroundIsDrawnOncePerSize)
{
    chart::TSkewT diagram;
    diagram.ShowSounding(nullptr);
    EXPECT_TRUE(diagram.NoteShown());
    EXPECT_TRUE(diagram.Barbs().empty());
    const TSounding s = DenseWinds(40);
    diagram.RenderToImage(QSize(600, 500));
    const int draws = diagram.BackgroundDraws();
    for (int i = 0; i < 4; ++i) {
        diagram.ShowSounding(i % 2 ? nullptr : &s);
        EXPECT_EQ(diagram.NoteShown(), i % 2 == 1);
        diagram.RenderToImage(QSize(600, 500));
    }
    EXPECT_TRUE(diagram.NoteShown());
    EXPECT_EQ(diagram.BackgroundDraws(), draws);
    diagram.RenderToImage(QSize(640, 500));
    EXPECT_EQ(diagram.BackgroundDraws(), draws + 1);
}

// The read-out reads the launch at the cursor's pressure, the wind there
// and the point itself, up to the top row of the plot.
TEST(SkewTDiagram, readsOutTheLaunchTheWindAndThePointToTheTopRow)
{
    TSounding s;
    s.Title = "to 100 hPa";
    s.AddLevel(1000, 100, 20, 5, 270, 10);
    s.AddLevel(500, 5600, -20, 10, 0, 0.5f);
    s.AddLevel(100, 16500, -70, 20, 225, 20);
    chart::TSkewT diagram;
    diagram.ShowSounding(&s);
    diagram.RenderToImage(QSize(chart::SkewTWidth, chart::SkewTHeight));
    const struct {
        double T, P;
        const char* Part;
    } cases[] = {
        {-65, 100, "100 hPa, 16.50 km, T -70.0 C, Td -90.0 C, parcel "},
        {-65, 100, ", wind 225/39 kt\ncursor -6"},
        {-10.5, 500, ", parcel "},
        {-10.5, 500, ", wind calm\ncursor -1"},
        {20, 998, ", wind 270/19 kt\ncursor "},
    };
    for (const auto& c : cases) {
        const std::string text = diagram.ReadoutAt(diagram.PointOf(c.T, c.P));
        EXPECT_NE(text.find(c.Part), std::string::npos) << text;
    }
    // The point at 20 C near 1000 hPa: its potential temperature is about
    // its own temperature in K, its saturation mixing ratio 14.9 g/kg.
    const std::string text = diagram.ReadoutAt(diagram.PointOf(20, 1000));
    double t = 0, theta = 0, w = 0;
    ASSERT_EQ(std::sscanf(text.substr(text.find("cursor")).c_str(), "cursor %lf C, theta %lf K, mixing ratio %lf", &t,
                          &theta, &w),
              3)
        << text;
    EXPECT_NEAR(t, 20, 0.2);
    EXPECT_NEAR(theta, t + 273.15, 0.5);
    EXPECT_NEAR(w, 14.9, 0.3);
}

}  // namespace
