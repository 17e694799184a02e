#include "platform/Cursors.h"

#include "platform/CursorTable.h"

#include <QBitmap>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// What the slider cursor shows at a pixel.
enum class Px { Clear, White, Black };

Px PixelOf(const QImage& Bits, const QImage& Mask, int X, int Y)
{
    if (Mask.pixelColor(X, Y) != QColor(Qt::black)) return Px::Clear;
    return Bits.pixelColor(X, Y) == QColor(Qt::black) ? Px::Black : Px::White;
}

class VSliderCursorShape : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QCursor c = platform::VSliderCursor();
        ASSERT_EQ(c.shape(), Qt::BitmapCursor);
        bits = c.bitmap().toImage();
        mask = c.mask().toImage();
        ASSERT_EQ(bits.size(), QSize(32, 32));
        ASSERT_EQ(mask.size(), QSize(32, 32));
        hotSpot = c.hotSpot();
    }
    Px At(int X, int Y) const { return PixelOf(bits, mask, X, Y); }

    QImage bits, mask;
    QPoint hotSpot;
};

TEST_F(VSliderCursorShape, hotSpotIsInTheBar) { EXPECT_EQ(hotSpot, QPoint(14, 11)); }

TEST_F(VSliderCursorShape, barAndArrowHeadsAreBlackWithAWhiteOutline)
{
    struct Case {
        int X, Y;
        Px Expected;
    };
    const Case cases[] = {
        // the bar, rows 10..13, columns 6..22, and the outline around it
        {6, 10, Px::Black}, {22, 10, Px::Black}, {6, 13, Px::Black}, {22, 13, Px::Black},
        {5, 11, Px::White}, {23, 12, Px::White}, {6, 14, Px::White}, {4, 11, Px::Clear},
        {24, 11, Px::Clear}, {5, 15, Px::Clear},
        // the upward arrow head: tip at row 3 on column 14
        {14, 3, Px::Black}, {14, 2, Px::White}, {14, 1, Px::Clear}, {13, 3, Px::White},
        {9, 8, Px::Black}, {19, 8, Px::Black}, {8, 8, Px::White},
        // the downward arrow head: tip at row 20
        {14, 20, Px::Black}, {14, 21, Px::White}, {14, 22, Px::Clear}, {15, 20, Px::White},
        {9, 15, Px::Black}, {19, 15, Px::Black},
        // the corners are clear
        {0, 0, Px::Clear}, {31, 31, Px::Clear}, {31, 0, Px::Clear}, {0, 31, Px::Clear},
    };
    for (const Case& c : cases)
        EXPECT_EQ(At(c.X, c.Y), c.Expected) << c.X << "," << c.Y;
}

TEST_F(VSliderCursorShape, isSymmetricAboutColumn14)
{
    for (int y = 0; y < 32; ++y)
        for (int d = 1; d <= 14; ++d)
            ASSERT_EQ(At(14 - d, y), At(14 + d, y)) << "row " << y << " offset " << d;
}

TEST(CursorTable, emptyIndicesYieldTheDefaultCursor)
{
    platform::FreeEveryCursorIndex();
    EXPECT_TRUE(platform::IsDefaultCursorAt(0));
    EXPECT_TRUE(platform::IsDefaultCursorAt(1));
    EXPECT_TRUE(platform::IsDefaultCursorAt(platform::MaxCursorIndex));
    EXPECT_EQ(platform::CursorAt(17).shape(), platform::CursorAt(0).shape());
}

TEST(CursorTable, storedCursorsAreFoundAgain)
{
    platform::FreeEveryCursorIndex();
    platform::SetCursorAt(3, QCursor(Qt::SizeVerCursor));
    EXPECT_FALSE(platform::IsDefaultCursorAt(3));
    EXPECT_EQ(platform::CursorAt(3).shape(), Qt::SizeVerCursor);
    EXPECT_TRUE(platform::IsDefaultCursorAt(2));
    platform::FreeEveryCursorIndex();
    EXPECT_TRUE(platform::IsDefaultCursorAt(3));
}

TEST(CursorTable, indicesOutsideTheTableAreIgnored)
{
    platform::FreeEveryCursorIndex();
    for (int index : {0, -1, platform::MaxCursorIndex + 1}) {
        platform::SetCursorAt(index, QCursor(Qt::CrossCursor));
        EXPECT_TRUE(platform::IsDefaultCursorAt(index)) << index;
    }
    EXPECT_EQ(platform::CursorAt(0).shape(), Qt::ArrowCursor);
}

TEST(CursorResources, sliderCursorByNameUnknownGivesDefault)
{
    EXPECT_EQ(platform::LoadCursorResource("IDC_VSliderCursor").shape(), Qt::BitmapCursor);
    EXPECT_EQ(platform::LoadCursorResource("IDC_VSliderCursor").hotSpot(), QPoint(14, 11));
    EXPECT_EQ(platform::LoadCursorResource("IDC_Nothing").shape(), Qt::ArrowCursor);
}

}  // namespace
