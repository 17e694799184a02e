#include "movie/GifPalette.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

std::uint32_t Hash(std::uint32_t Rgb)
{
    // Multiplicative hashing spreads the few colours of a chart well; the
    // top 11 bits index the table of 2048.
    return (Rgb * 2654435761u) >> 21;
}

int Cell15(std::uint32_t Rgb)
{
    return int(((Rgb >> 9) & 0x7C00) | ((Rgb >> 6) & 0x03E0) | ((Rgb >> 3) & 0x001F));
}

// The pixels of a 32-bit image as runs of one colour, the rule in a chart.
template <typename Run>
void ForEachRun(const QImage& Image, Run&& F)
{
    for (int Y = 0; Y < Image.height(); ++Y) {
        const auto* Row = reinterpret_cast<const std::uint32_t*>(Image.constScanLine(Y));
        int X = 0;
        const int W = Image.width();
        while (X < W) {
            const std::uint32_t Rgb = Row[X] & 0xFFFFFF;
            int End = X + 1;
            while (End < W && (Row[End] & 0xFFFFFF) == Rgb)
                ++End;
            if (!F(Rgb, Y, X, End - X))
                return;
            X = End;
        }
    }
}

}  // namespace

TGifPalette::TGifPalette() : keys_(TableSize, 0), values_(TableSize, 0)
{
    // The free entry is black; no pixel ever uses it.
    colors_.push_back(0);
    uses_.push_back(0);
}

bool TGifPalette::Find(std::uint32_t Rgb, std::uint8_t& Index) const
{
    const std::uint32_t Key = Rgb | Used;
    for (std::uint32_t Slot = Hash(Rgb) & (TableSize - 1); keys_[Slot] != 0; Slot = (Slot + 1) & (TableSize - 1)) {
        if (keys_[Slot] == Key) {
            Index = values_[Slot];
            return true;
        }
    }
    return false;
}

void TGifPalette::Insert(std::uint32_t Rgb, std::uint8_t Index)
{
    std::uint32_t Slot = Hash(Rgb) & (TableSize - 1);
    while (keys_[Slot] != 0 && keys_[Slot] != (Rgb | Used))
        Slot = (Slot + 1) & (TableSize - 1);
    keys_[Slot] = Rgb | Used;
    values_[Slot] = Index;
}

void TGifPalette::ClearTable()
{
    std::fill(keys_.begin(), keys_.end(), 0);
}

std::uint8_t TGifPalette::Add(std::uint32_t Rgb)
{
    const auto Index = std::uint8_t(colors_.size());
    colors_.push_back(Rgb);
    uses_.push_back(0);
    Insert(Rgb, Index);
    return Index;
}

std::uint8_t TGifPalette::IndexOf(std::uint32_t Rgb)
{
    Rgb &= 0xFFFFFF;
    std::uint8_t Index = 0;
    if (Find(Rgb, Index))
        return Index;
    if (!fixed_) {
        if (Count() < MaxEntries)
            return Add(Rgb);
        TurnFixed(QImage());
        if (Find(Rgb, Index))
            return Index;
    }
    return Nearest(Rgb);
}

std::uint8_t TGifPalette::Nearest(std::uint32_t Rgb)
{
    const int Cell = Cell15(Rgb);
    if (nearest_[std::size_t(Cell)] >= 0)
        return std::uint8_t(nearest_[std::size_t(Cell)]);
    // The centre of the cell stands for all its colours.
    const int R = ((Cell >> 10) & 31) * 8 + 4;
    const int G = ((Cell >> 5) & 31) * 8 + 4;
    const int B = (Cell & 31) * 8 + 4;
    int Best = 1;
    long BestDistance = std::numeric_limits<long>::max();
    for (int I = 1; I < Count(); ++I) {
        const std::uint32_t C = colors_[std::size_t(I)];
        const long DR = long((C >> 16) & 0xFF) - R;
        const long DG = long((C >> 8) & 0xFF) - G;
        const long DB = long(C & 0xFF) - B;
        // Green weighs most, blue least, as the eye sees them.
        const long Distance = 3 * DR * DR + 4 * DG * DG + 2 * DB * DB;
        if (Distance < BestDistance) {
            BestDistance = Distance;
            Best = I;
        }
    }
    nearest_[std::size_t(Cell)] = std::int16_t(Best);
    return std::uint8_t(Best);
}

void TGifPalette::TurnFixed(const QImage& Image)
{
    // How much each colour was drawn: the entries so far and this image.
    std::unordered_map<std::uint32_t, std::uint64_t> Uses;
    for (std::size_t I = 1; I < colors_.size(); ++I)
        Uses[colors_[I]] += uses_[I];
    if (!Image.isNull())
        ForEachRun(Image, [&](std::uint32_t Rgb, int, int, int Length) {
            Uses[Rgb] += std::uint64_t(Length);
            return true;
        });
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ByUse;
    ByUse.reserve(Uses.size());
    for (const auto& [Rgb, N] : Uses)
        ByUse.emplace_back(N, Rgb);
    const std::size_t Kept = std::min<std::size_t>(ByUse.size(), KeptEntries);
    // Most used first; equal uses by colour, so the palette never depends
    // on the order of the hash map.
    std::partial_sort(ByUse.begin(), ByUse.begin() + std::ptrdiff_t(Kept), ByUse.end(),
                      [](const auto& A, const auto& B) { return A.first != B.first ? A.first > B.first : A.second < B.second; });

    colors_.assign(1, 0);
    uses_.assign(1, 0);
    ClearTable();
    std::uint8_t Ignored = 0;
    for (std::size_t I = 0; I < Kept; ++I)
        Add(ByUse[I].second);
    static const int Reds[6] = {0, 51, 102, 153, 204, 255};
    static const int Blues[5] = {0, 64, 128, 191, 255};
    for (int R : Reds)
        for (int G : Reds)
            for (int B : Blues) {
                const std::uint32_t Rgb = std::uint32_t(R << 16 | G << 8 | B);
                if (!Find(Rgb, Ignored))
                    Add(Rgb);
            }
    nearest_.assign(1 << 15, -1);
    fixed_ = true;
}

bool TGifPalette::IndexImage(const QImage& Image, std::vector<std::uint8_t>& Out)
{
    const QImage* Source = &Image;
    QImage Converted;
    const QImage::Format F = Image.format();
    if (F != QImage::Format_RGB32 && F != QImage::Format_ARGB32 && F != QImage::Format_ARGB32_Premultiplied) {
        Converted = Image.convertToFormat(QImage::Format_RGB32);
        Source = &Converted;
    }
    const int W = Source->width();
    Out.resize(std::size_t(W) * std::size_t(Source->height()));
    std::uint8_t* Dest = Out.data();

    bool Turned = false;
    if (!fixed_) {
        bool Fits = true;
        ForEachRun(*Source, [&](std::uint32_t Rgb, int Y, int X, int Length) {
            std::uint8_t Index = 0;
            if (!Find(Rgb, Index)) {
                if (Count() == MaxEntries) {
                    Fits = false;
                    return false;
                }
                Index = Add(Rgb);
            }
            uses_[Index] += std::uint64_t(Length);
            std::fill_n(Dest + std::size_t(Y) * std::size_t(W) + std::size_t(X), Length, Index);
            return true;
        });
        if (Fits)
            return false;
        TurnFixed(*Source);
        Turned = true;
    }
    ForEachRun(*Source, [&](std::uint32_t Rgb, int Y, int X, int Length) {
        std::uint8_t Index = 0;
        if (!Find(Rgb, Index))
            Index = Nearest(Rgb);
        std::fill_n(Dest + std::size_t(Y) * std::size_t(W) + std::size_t(X), Length, Index);
        return true;
    });
    return Turned;
}
