// The colour section: a click gives the column under the mouse, the marker
// shows at the column set and nowhere else, hovering reads a cell, gaps stay
// uncoloured, and the picture renders without a display.

#include "chart/ColourSection.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QColor MarkerRed("#ff2020");
// Cells without data are hatched: grey lines on white.
bool NoData(const QColor& C) { return C == QColor("#9a9a9a") || C == QColor(Qt::white); }

// Five columns, every 1000 m to 4000 m; column 1 is empty (a gap).
TTimeHeightSection FiveColumns()
{
    TTimeHeightSection S;
    S.Columns = 5;
    S.Rows = 5;
    S.HeightMax = 4000;
    S.Cells.assign(25, -20.0f);
    for (int R = 0; R < 5; ++R) S.Cells[1 * 5 + R] = std::numeric_limits<float>::quiet_NaN();
    S.FirstSounding = {0, 1, 2, 3, 4, 5};
    S.FreezingLevel.assign(5, std::numeric_limits<float>::quiet_NaN());
    S.TropopauseHeight.assign(5, std::numeric_limits<float>::quiet_NaN());
    for (int C = 0; C < 5; ++C) {
        S.Launches.push_back(sounding::LaunchKey("94610", std::chrono::year{2016} / 1 / (C + 1), 0));
        S.Titles.push_back(sounding::LaunchTitle("94610", S.Launches.back()));
    }
    return S;
}

class ColourSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        View.resize(500, 300);
        View.SetSection(FiveColumns());
        View.show();
        QCoreApplication::processEvents();
        View.Redraw();
    }
    // A point of the map at a column and height, in widget pixels.
    QPoint At(int Column, double Height) const
    {
        return View.MouseSurface()->mapFrom(&View, View.PointOf(Column, Height));
    }
    QColor PixelAt(const QImage& Image, int Column, double Height) const
    {
        return Image.pixelColor(At(Column, Height));
    }
    // The 2-pixel marker covers the column's pixel or its neighbour.
    bool MarkerAt(const QImage& Image, int Column) const
    {
        const QPoint P = At(Column, 2500);
        for (int Dx : {-1, 0, 1})
            if (Image.pixelColor(P + QPoint(Dx, 0)) == MarkerRed) return true;
        return false;
    }
    TColourSection View;
};

TEST_F(ColourSectionTest, clickGivesTheColumnInsideTheMapOnly)
{
    std::vector<int> Clicked;
    View.OnColumnClick = [&](int C) { Clicked.push_back(C); };
    QTest::mouseClick(View.MouseSurface(), Qt::LeftButton, {}, At(3, 2000));
    QTest::mouseClick(View.MouseSurface(), Qt::LeftButton, {}, At(0, 500));
    QTest::mouseClick(View.MouseSurface(), Qt::RightButton, {}, At(2, 2000));
    // The colour bar, right of the map.
    QTest::mouseClick(View.MouseSurface(), Qt::LeftButton, {}, QPoint(View.width() - 20, At(2, 2000).y()));
    EXPECT_EQ(Clicked, (std::vector<int>{3, 0}));
    EXPECT_EQ(View.ColumnAt(QPoint(2, 2)), -1);
}

TEST_F(ColourSectionTest, markerShowsAtItsColumnOnly)
{
    View.SetMarkerColumn(2);
    EXPECT_EQ(View.MarkerColumn(), 2);
    QImage Image = View.RenderToImage(View.size());
    ASSERT_EQ(Image.size(), View.size());
    EXPECT_TRUE(MarkerAt(Image, 2));
    EXPECT_FALSE(MarkerAt(Image, 3));
    // The gap column shows the hatching behind the map, a full column beside it a colour.
    EXPECT_TRUE(NoData(PixelAt(Image, 1, 2500))) << PixelAt(Image, 1, 2500).name().toStdString();
    EXPECT_FALSE(NoData(PixelAt(Image, 3, 2500)));

    View.SetMarkerColumn(4);
    // On screen the move redraws the marker's layer alone: what the widget
    // paints from its buffers already shows the new place.
    const QImage Shown = View.MouseSurface()->grab().toImage();
    EXPECT_FALSE(MarkerAt(Shown, 2));
    EXPECT_TRUE(MarkerAt(Shown, 4));
    Image = View.RenderToImage(View.size());
    EXPECT_FALSE(MarkerAt(Image, 2));
    EXPECT_TRUE(MarkerAt(Image, 4));

    for (int Outside : {-1, 5, 1000}) {
        View.SetMarkerColumn(Outside);
        EXPECT_EQ(View.MarkerColumn(), -1);
    }
    // A smaller page drops a marker beyond its columns.
    View.SetMarkerColumn(4);
    TTimeHeightSection Two = FiveColumns();
    Two.Columns = 2;
    Two.Cells.resize(10);
    Two.FirstSounding = {0, 1, 2};
    View.SetSection(Two);
    EXPECT_EQ(View.MarkerColumn(), -1);
}

// The first launch's marker stays inside the map, off the axis line; one
// column fills the whole map, whose left edge then reads that column.
TEST_F(ColourSectionTest, firstColumnAndOneColumnFillTheMap)
{
    TTimeHeightSection Many = FiveColumns();
    Many.Columns = 400;
    Many.Cells.assign(std::size_t(400) * 5, -20.0f);
    Many.Titles.assign(400, "94610 2016-01-01 00Z");
    Many.FreezingLevel.assign(400, std::numeric_limits<float>::quiet_NaN());
    Many.TropopauseHeight = Many.FreezingLevel;
    Many.FirstSounding.resize(401);
    for (int C = 0; C <= 400; ++C) Many.FirstSounding[std::size_t(C)] = C;
    View.SetSection(Many);
    View.SetMarkerColumn(0);
    const QImage First = View.RenderToImage(View.size());
    const QPoint Left = View.MouseSurface()->mapFrom(&View, View.PointOf(-0.5, 2500));
    int Red = 0;
    for (int Dx = 1; Dx <= 4; ++Dx) Red += First.pixelColor(Left + QPoint(Dx, 0)) == MarkerRed;
    EXPECT_GT(Red, 0);

    TTimeHeightSection One = FiveColumns();
    One.Columns = 1;
    One.Cells.resize(5);
    One.FirstSounding = {0, 1};
    View.SetSection(One);
    const QImage Image = View.RenderToImage(View.size());
    for (const double Column : {-0.45, 0.0, 0.45})
        EXPECT_FALSE(NoData(Image.pixelColor(View.MouseSurface()->mapFrom(&View, View.PointOf(Column, 2500)))))
            << Column;
}

// N columns, warm and cold in turn, so that every pixel tells which column
// it shows.
TTimeHeightSection Alternating(int N)
{
    TTimeHeightSection S = FiveColumns();
    S.Columns = N;
    S.Cells.assign(std::size_t(N) * 5, 30.0f);
    for (int C = 1; C < N; C += 2)
        for (int R = 0; R < 5; ++R) S.Cells[std::size_t(C) * 5 + R] = -70.0f;
    S.FreezingLevel.assign(std::size_t(N), std::numeric_limits<float>::quiet_NaN());
    S.TropopauseHeight = S.FreezingLevel;
    S.Titles.assign(std::size_t(N), "94610 2016-01-01 00Z");
    S.FirstSounding.resize(std::size_t(N) + 1);
    for (int C = 0; C <= N; ++C) S.FirstSounding[std::size_t(C)] = C;
    return S;
}

// Each pixel of the map shows the column the read-out and a click name
// there, also at about a column per pixel; the last column shows, and the
// marker stands on its own column's pixels, the last one's too.
TEST_F(ColourSectionTest, mapMarkerAndReadoutShareOneColumnPerPixel)
{
    const int Y = At(0, 2500).y();
    const int Left = View.MouseSurface()->mapFrom(&View, View.PointOf(-0.5, 2500)).x();
    const int Pixels = View.MouseSurface()->mapFrom(&View, View.PointOf(4.5, 2500)).x() - Left;
    ASSERT_GT(Pixels, 100);
    for (const int N : {14, Pixels - 3, Pixels + 2, Pixels + 40}) {
        View.SetSection(Alternating(N));
        const QImage Image = View.RenderToImage(View.size());
        int Wrong = 0, LastShown = 0;
        // The left axis line covers the map's first pixel.
        for (int X = Left + 1; X < Left + Pixels; ++X) {
            const int C = View.ColumnAt(View.MouseSurface()->mapTo(&View, QPoint(X, Y)));
            ASSERT_GE(C, 0) << N << " " << X;
            const bool Warm = qGray(Image.pixel(X, Y)) > 128;
            Wrong += Warm != (C % 2 == 0);
            LastShown += C == N - 1 && Warm == ((N - 1) % 2 == 0);
        }
        EXPECT_EQ(Wrong, 0) << N << " columns on " << Pixels << " pixels";
        EXPECT_GT(LastShown, 0) << N;
        for (const int Column : {N - 2, N - 1, 0}) {
            View.SetMarkerColumn(Column);
            const QImage Marked = View.RenderToImage(View.size());
            bool OnColumn = false;
            for (int X = Left; X < Left + Pixels; ++X)
                if (Marked.pixelColor(X, Y) == MarkerRed)
                    OnColumn |= View.ColumnAt(View.MouseSurface()->mapTo(&View, QPoint(X, Y))) == Column;
            EXPECT_TRUE(OnColumn) << N << " columns, marker at " << Column;
        }
    }
}

// Ticks at month starts for a year, at year starts for decades, at days for
// a few weeks; labels never closer than the map's width allows.
TEST(ColourSection, dateTicksFollowThePeriod)
{
    const struct {
        const char* First;
        double Days;
        int Pixels;
        std::vector<std::string> Start;  // the first labels
        std::size_t Most;
    } Cases[] = {
        {"2016-01-01", 366, 1000, {"Jan 2016", "Feb", "Mar"}, 13},
        {"2016-01-01", 366, 400, {"Jan 2016", "Apr", "Jul"}, 5},
        {"1940-01-01", 80 * 365.25, 800, {"1940", "1950", "1960"}, 16},
        {"2016-06-01", 20, 800, {"Jun 1", "Jun 3", "Jun 5"}, 13},
        {"2016-06-01", 20, 2000, {"Jun 1", "Jun 2", "Jun 3"}, 21},
    };
    for (const auto& C : Cases) {
        TTimeHeightSection S;
        S.Columns = 500;
        S.FirstHour = sounding::DayStartHour(*sounding::DateOfText(C.First));
        S.HoursPerColumn = C.Days * 24 / S.Columns;
        std::vector<double> Columns;
        std::vector<std::string> Labels;
        TColourSection::DateTicks(S, C.Pixels, Columns, Labels);
        ASSERT_GE(Labels.size(), C.Start.size()) << C.First;
        EXPECT_EQ(std::vector<std::string>(Labels.begin(), Labels.begin() + 3), C.Start) << C.First;
        EXPECT_LE(Labels.size(), C.Most) << C.First;
        EXPECT_NEAR(Columns[0], -0.5, 1e-9) << C.First;
    }
}

TEST_F(ColourSectionTest, hoverReadsTheCellUnderTheMouse)
{
    std::vector<std::string> Read;
    View.OnHover = [&](const std::string& Text) { Read.push_back(Text); };
    // No button held: the read-out follows the mouse.
    for (QPoint P : {At(3, 3000), At(1, 3000)}) QTest::mouseMove(View.MouseSurface(), P);
    ASSERT_EQ(Read.size(), 2u);
    EXPECT_EQ(Read[0].substr(0, 24), "94610 2016-01-04 00Z, 30");  // the height is rounded to a pixel
    EXPECT_NE(Read[0].find("m, -20.0 C"), std::string::npos) << Read[0];
    EXPECT_NE(Read[1].find("no data"), std::string::npos) << Read[1];
}

TEST(ColourSection, emptyPageRendersWithoutADisplay)
{
    TColourSection View;
    View.SetSection(TTimeHeightSection{});
    View.SetMarkerColumn(0);
    EXPECT_EQ(View.MarkerColumn(), -1);
    const QImage Image = View.RenderToImage(QSize(320, 200));
    EXPECT_EQ(Image.size(), QSize(320, 200));
    EXPECT_TRUE(View.RenderToImage(QSize()).isNull());
}

}  // namespace
