// What the chart draws, sampled pixel by pixel.
#include "chart/Chart.h"
#include "chart/Series.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cmath>

namespace {

const QRgb Red = qRgb(255, 0, 0);

// A chart the size of the main window's, axes 0..100 both ways, no legend.
class ChartRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        Chart.resize(705, 313);
        Chart.Legend().SetVisible(false);
        for (TChartAxis* A : {&Chart.BottomAxis(), &Chart.LeftAxis()}) {
            A->SetAutomatic(false);
            A->SetMinMax(0, 100);
        }
        // Lays the plot out, so that Pixel() knows where the axes are.
        Chart.RenderToImage(Chart.size());
    }

    // A red horizontal line at Y = 50 from X = 10 to X = 90.
    TLineSeries* RedLine()
    {
        TLineSeries* S = Chart.AddLineSeries();
        S->SetColor(clRed);
        S->AddXY(10, 50);
        S->AddXY(90, 50);
        return S;
    }

    QPoint Pixel(double X, double Y) const
    {
        const QPointF P = Chart.ValueToPixel(X, Y);
        return QPoint(int(std::lround(P.x())), int(std::lround(P.y())));
    }

    static QRgb At(const QImage& Image, QPoint P) { return Image.pixel(P) | 0xFF000000u; }

    int RedPixelsAlong(const QImage& Image, double Y)
    {
        int N = 0;
        for (double X = 12; X <= 88; X += 4) N += At(Image, Pixel(X, Y)) == Red;
        return N;
    }

    TChart Chart;
};

TEST_F(ChartRender, aRedLineIsDrawnWhereItsPointsAre)
{
    RedLine();
    const QImage Image = Chart.RenderToImage(Chart.size());
    ASSERT_EQ(Image.size(), QSize(705, 313));
    EXPECT_EQ(RedPixelsAlong(Image, 50), 20);
    EXPECT_EQ(RedPixelsAlong(Image, 60), 0);
    EXPECT_EQ(RedPixelsAlong(Image, 40), 0);
    // Nothing left of its first point.
    EXPECT_NE(At(Image, Pixel(5, 50)), Red);
}

TEST_F(ChartRender, pointsFollowTheirChangedXValues)
{
    TLineSeries* S = Chart.AddLineSeries();
    S->SetColor(clRed);
    S->SetXOrderNone();
    S->AddXY(10, 10);
    S->AddXY(10, 90);  // a vertical line at X = 10
    Chart.RenderToImage(Chart.size());
    for (int I = 0; I < S->Count(); ++I) S->SetXValue(I, S->XValue(I) + 50);
    const QImage Image = Chart.RenderToImage(Chart.size());
    EXPECT_EQ(At(Image, Pixel(60, 50)), Red);
    EXPECT_NE(At(Image, Pixel(10, 50)), Red);
}

TEST_F(ChartRender, theLineAndItsMarkersTakeTheSeriesColour)
{
    struct Case {
        TColor Color;
        QRgb Drawn;
    };
    const Case Cases[] = {
        {0x0000FF, qRgb(255, 0, 0)},        {0xFF0000, qRgb(0, 0, 255)}, {0x8000FF, qRgb(255, 0, 128)},
        {0x0080FF, qRgb(255, 128, 0)},      {0x008000, qRgb(0, 128, 0)}, {0x000000, qRgb(0, 0, 0)},
        {0x123456, qRgb(0x56, 0x34, 0x12)},
    };
    TLineSeries* S = RedLine();
    S->SetPointerVisible(true);
    const QPoint OnTheLine = Pixel(50, 50);
    const QPoint InAMarker = Pixel(90, 50) + QPoint(2, 2);  // off the line
    for (const Case& C : Cases) {
        S->SetColor(C.Color);
        EXPECT_EQ(S->Color(), C.Color);
        const QImage Image = Chart.RenderToImage(Chart.size());
        EXPECT_EQ(At(Image, OnTheLine), C.Drawn) << std::hex << C.Color;
        EXPECT_EQ(At(Image, InAMarker), C.Drawn) << std::hex << C.Color;
    }
}

TEST_F(ChartRender, aDeletedSeriesIsNoLongerDrawn)
{
    TLineSeries* S = RedLine();
    EXPECT_EQ(RedPixelsAlong(Chart.RenderToImage(Chart.size()), 50), 20);
    delete S;
    EXPECT_EQ(RedPixelsAlong(Chart.RenderToImage(Chart.size()), 50), 0);
}

TEST_F(ChartRender, anInactiveSeriesIsNotDrawn)
{
    TLineSeries* S = RedLine();
    S->SetActive(false);
    EXPECT_EQ(RedPixelsAlong(Chart.RenderToImage(Chart.size()), 50), 0);
    S->SetActive(true);
    EXPECT_EQ(RedPixelsAlong(Chart.RenderToImage(Chart.size()), 50), 20);
}

TEST_F(ChartRender, pointMarkersAreFilledSquaresInTheSeriesColour)
{
    TLineSeries* S = RedLine();
    const QPoint P = Pixel(90, 50);
    const QPoint Beside = P + QPoint(2, 2);  // off the line, inside a marker
    EXPECT_NE(At(Chart.RenderToImage(Chart.size()), Beside), Red);
    S->SetPointerVisible(true);
    EXPECT_EQ(At(Chart.RenderToImage(Chart.size()), Beside), Red);
}

TEST_F(ChartRender, valueMarksAppearAbovePointsOnlyWhenSwitchedOn)
{
    TLineSeries* S = RedLine();
    const QPoint P = Pixel(50, 50);
    const QRect Above(P.x() - 30, P.y() - 40, 60, 30);
    const QImage Without = Chart.RenderToImage(Chart.size()).copy(Above);
    S->AddXY(50, 50);
    S->SetMarksVisible(true);
    const QImage With = Chart.RenderToImage(Chart.size()).copy(Above);
    EXPECT_NE(With, Without);
    S->SetActive(false);
    S->SetActive(true);
    S->SetMarksVisible(false);
    EXPECT_EQ(Chart.RenderToImage(Chart.size()).copy(Above), Without);
}

TEST_F(ChartRender, theImageIsWhatTheWidgetShows)
{
    RedLine()->SetPointerVisible(true);
    Chart.Title().SetText({"Lapse Rate - Temperature vs Altitude"});
    Chart.BottomAxis().SetTitle("Temperature (C)");
    const QImage Raw = Chart.RenderToImage(Chart.size());
    // Opaque to the last row and column: nothing of whatever lies beneath.
    for (QPoint Corner : {QPoint(0, 0), QPoint(704, 0), QPoint(0, 312), QPoint(704, 312)})
        EXPECT_EQ(qAlpha(Raw.pixel(Corner)), 255) << Corner.x() << "," << Corner.y();
    const QImage Rendered = Raw.convertToFormat(QImage::Format_RGB32);
    const QImage Shown = Chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Rendered.size(), Shown.size());
    EXPECT_TRUE(Rendered == Shown);
}

TEST_F(ChartRender, anotherSizeLeavesTheWidgetAsItWas)
{
    RedLine();
    const QImage Before = Chart.RenderToImage(Chart.size());
    const QRectF AreaBefore = Chart.PlotArea();
    const QImage Big = Chart.RenderToImage(QSize(1000, 600));
    ASSERT_EQ(Big.size(), QSize(1000, 600));
    // The line crosses the middle of the bigger plot as well.
    int RedInMiddleColumn = 0;
    for (int Y = 0; Y < Big.height(); ++Y) RedInMiddleColumn += At(Big, QPoint(500, Y)) == Red;
    EXPECT_EQ(RedInMiddleColumn, 1);
    EXPECT_EQ(qAlpha(Big.pixel(999, 599)), 255);
    EXPECT_EQ(Chart.MouseSurface()->size(), QSize(705, 313));
    EXPECT_EQ(Chart.PlotArea(), AreaBefore);
    EXPECT_EQ(Chart.RenderToImage(Chart.size()), Before);
    EXPECT_TRUE(Chart.RenderToImage(QSize(0, 10)).isNull());
    // The hidden chart made that size draws that very picture, not the one
    // it drew at its old size.
    Chart.resize(1000, 600);
    EXPECT_TRUE(Chart.RenderToImage(Chart.size()) == Big);
}

TEST_F(ChartRender, aTitleTakesRoomAboveThePlot)
{
    Chart.RenderToImage(Chart.size());
    const double NoTitle = Chart.PlotArea().top();
    Chart.Title().SetText({"Lapse Rate - Temperature vs Altitude"});
    Chart.Title().SetFont(TChartFont{"Arial", -13, clBlack, 0});
    Chart.RenderToImage(Chart.size());
    const double OneLine = Chart.PlotArea().top();
    Chart.Title().SetText({"Lapse Rate", "Temperature vs Altitude"});
    Chart.RenderToImage(Chart.size());
    const double TwoLines = Chart.PlotArea().top();
    EXPECT_GT(OneLine, NoTitle + 10);
    EXPECT_GT(TwoLines, OneLine + 10);
    Chart.Title().SetVisible(false);
    Chart.RenderToImage(Chart.size());
    EXPECT_EQ(Chart.PlotArea().top(), NoTitle);
    Chart.Title().SetVisible(true);
    Chart.Title().SetText({});
    Chart.RenderToImage(Chart.size());
    EXPECT_EQ(Chart.PlotArea().top(), NoTitle);
}

TEST_F(ChartRender, aClearBackWallShowsTheChartColour)
{
    const QPoint Inside = Pixel(33, 77);  // no grid line there
    Chart.SetColor(0x00C0C0C0);
    Chart.BackWall().SetColor(clWhite);
    Chart.BackWall().SetBrushClear(false);
    EXPECT_EQ(At(Chart.RenderToImage(Chart.size()), Inside), qRgb(255, 255, 255));
    Chart.BackWall().SetBrushClear(true);
    EXPECT_EQ(At(Chart.RenderToImage(Chart.size()), Inside), qRgb(0xC0, 0xC0, 0xC0));
    Chart.BackWall().SetBrushClear(false);
    Chart.BackWall().SetColor(0x00FF0000);
    EXPECT_EQ(At(Chart.RenderToImage(Chart.size()), Inside), qRgb(0, 0, 255));
}

}  // namespace
