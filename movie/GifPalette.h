#pragma once
// The palette of an animated GIF, shared by its frames. A chart has few
// colours (panel, wall, lines, and the grey shades of its smoothed text), so
// as long as they fit, every colour gets an exact entry as it first appears,
// and an entry never changes: a pixel's index means the same colour in every
// frame.
//
// When a frame brings more colours than the 255 entries hold, the palette
// turns fixed for the rest of the movie: the colours used most so far keep
// exact entries, a regular colour cube covers everything else, and any other
// colour takes the entry nearest to it, looked up once per 15-bit colour
// cell. The entries then mean other colours than before, so the frame that
// turned the palette must be stored whole.

#include <QImage>

#include <cstdint>
#include <vector>

class TGifPalette {
public:
    // Index 0 is kept free: frames mark their unchanged pixels with it.
    static constexpr std::uint8_t Transparent = 0;
    static constexpr int MaxEntries = 256;
    // A fixed palette: the most used colours, then a cube of 6 reds x 6
    // greens x 5 blues.
    static constexpr int CubeEntries = 6 * 6 * 5;
    static constexpr int KeptEntries = MaxEntries - 1 - CubeEntries;

    TGifPalette();

    // Every pixel of Image as an index, row by row, into Out (resized to
    // width x height). Alpha is ignored: frames are opaque. True when the
    // palette turned fixed on this frame (earlier indices lost their
    // meaning).
    bool IndexImage(const QImage& Image, std::vector<std::uint8_t>& Out);

    // The index of one colour 0xRRGGBB (higher bits are ignored); while the
    // palette is exact a new colour gets a new entry, and a colour that does
    // not fit turns the palette fixed.
    std::uint8_t IndexOf(std::uint32_t Rgb);

    // Entries in use, the free index 0 included.
    int Count() const { return int(colors_.size()); }
    // 0xRRGGBB by index.
    const std::vector<std::uint32_t>& Colors() const { return colors_; }
    // True once colours are matched to the nearest entry.
    bool Fixed() const { return fixed_; }
    // Counts the palette's turns to fixed (0 or 1).
    int Generation() const { return fixed_ ? 1 : 0; }

private:
    struct Histogram;
    bool Find(std::uint32_t Rgb, std::uint8_t& Index) const;
    void Insert(std::uint32_t Rgb, std::uint8_t Index);
    std::uint8_t Add(std::uint32_t Rgb);
    std::uint8_t Nearest(std::uint32_t Rgb);
    // Builds the fixed palette from the counts so far and the colours of
    // Image, which did not fit.
    void TurnFixed(const QImage& Image);
    void ClearTable();

    std::vector<std::uint32_t> colors_;
    // Pixels drawn with each entry so far (exact palette only).
    std::vector<std::uint64_t> uses_;
    // Open addressing, colour | Used -> index; far larger than the palette
    // so that probes stay short.
    static constexpr std::uint32_t Used = 0x1000000;
    static constexpr int TableSize = 2048;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint8_t> values_;
    // Nearest entry by 15-bit colour cell once fixed; -1 = not yet looked up.
    std::vector<std::int16_t> nearest_;
    bool fixed_ = false;
};
