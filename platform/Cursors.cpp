#include "platform/Cursors.h"

#include <QBitmap>
#include <QImage>

#include <cstdlib>
#include <map>

namespace platform {
namespace {

std::map<int, QCursor>& Table()
{
    static std::map<int, QCursor> table;
    return table;
}

}  // namespace

QCursor CursorAt(int Index)
{
    const auto it = Table().find(Index);
    return it == Table().end() ? QCursor() : it->second;
}

void SetCursorAt(int Index, const QCursor& Cursor)
{
    if (Index < 1 || Index > MaxCursorIndex) return;
    Table()[Index] = Cursor;
}

bool IsDefaultCursorAt(int Index) { return CursorAt(Index) == CursorAt(0); }

QCursor LoadCursorResource(const std::string& Name)
{
    if (Name == "IDC_VSliderCursor") return VSliderCursor();
    return QCursor();
}

QCursor VSliderCursor()
{
    constexpr int size = 32;
    constexpr int centre = 14;
    // The black shape: the bar, the upward arrow head (tip at row 3, widening
    // by one pixel each side per row down to row 8) and its mirror below the
    // bar (rows 15 to 20, tip at row 20).
    bool black[size][size] = {};
    for (int y = 10; y <= 13; ++y)
        for (int x = 6; x <= 22; ++x) black[y][x] = true;
    for (int row = 0; row < 6; ++row)
        for (int x = centre - row; x <= centre + row; ++x) {
            black[3 + row][x] = true;
            black[20 - row][x] = true;
        }

    // Bitmap 1 is black and 0 white; the mask makes the shape and its
    // one-pixel outline opaque, so the outline shows white.
    QImage bits(size, size, QImage::Format_Mono);
    QImage mask(size, size, QImage::Format_Mono);
    for (QImage* image : {&bits, &mask}) {
        // Index 0 is colour 0 (white, clear), index 1 colour 1 (black, set).
        image->setColor(0, QColor(Qt::white).rgb());
        image->setColor(1, QColor(Qt::black).rgb());
        image->fill(0);
    }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int yy = y + dy, xx = x + dx;
                    near = yy >= 0 && yy < size && xx >= 0 && xx < size && black[yy][xx];
                }
            if (black[y][x]) bits.setPixel(x, y, 1);
            if (near) mask.setPixel(x, y, 1);
        }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), 14, 11);
}

}  // namespace platform
