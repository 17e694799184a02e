// The GIF movie: delays, the shared palette, and what a GIF reader gets back.
#include "movie/GifMovie.h"
#include "movie/GifPalette.h"

#include "support/GifReader.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <set>

namespace {

// ------------------------------------------------------------ delays

struct DelayCase {
    int Ms;
    int Cs;
};

class GifDelay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(GifDelay, roundsToHundredthsAndKeepsTwentyMs)
{
    EXPECT_EQ(GifDelayCentiseconds(GetParam().Ms), GetParam().Cs) << GetParam().Ms << " ms";
}

INSTANTIATE_TEST_SUITE_P(Table, GifDelay,
                         ::testing::Values(DelayCase{1, 2}, DelayCase{0, 2}, DelayCase{-40, 2}, DelayCase{14, 2},
                                           DelayCase{20, 2}, DelayCase{24, 2}, DelayCase{25, 3},
                                           DelayCase{34, 3}, DelayCase{35, 4}, DelayCase{100, 10},
                                           DelayCase{104, 10}, DelayCase{105, 11}, DelayCase{1000, 100},
                                           DelayCase{655350, 65535}, DelayCase{10000000, 65535}));

// ------------------------------------------------------------ palette

TEST(GifPalette, givesEachColourItsOwnStableEntryAndNeverTheFreeOne)
{
    TGifPalette P;
    std::set<int> Seen;
    for (std::uint32_t I = 0; I < 255; ++I) {
        const int Index = P.IndexOf(I * 0x010305);
        EXPECT_NE(Index, TGifPalette::Transparent);
        Seen.insert(Index);
    }
    EXPECT_EQ(Seen.size(), 255u);
    EXPECT_EQ(P.Count(), TGifPalette::MaxEntries);
    EXPECT_FALSE(P.Fixed());
    // Asked again, every colour keeps its index and its exact value.
    for (std::uint32_t I = 0; I < 255; ++I) {
        const std::uint32_t Rgb = (I * 0x010305) & 0xFFFFFF;
        EXPECT_EQ(P.Colors()[P.IndexOf(Rgb)], Rgb);
    }
    EXPECT_FALSE(P.Fixed());
}

// The largest difference of one channel between two colours.
int Difference(std::uint32_t A, std::uint32_t B)
{
    int Worst = 0;
    for (int Shift : {0, 8, 16})
        Worst = std::max(Worst, std::abs(int((A >> Shift) & 0xFF) - int((B >> Shift) & 0xFF)));
    return Worst;
}

TEST(GifPalette, aColourBeyondTheFullPaletteTurnsItFixedAndTakesANearEntry)
{
    TGifPalette P;
    for (std::uint32_t G = 0; G < 255; ++G)
        P.IndexOf(G * 0x010101);
    ASSERT_EQ(P.Count(), TGifPalette::MaxEntries);
    EXPECT_FALSE(P.Fixed());
    for (const std::uint32_t Rgb : {0xFF8000u, 0x10E040u, 0xFEFFFDu, 0x808080u}) {
        const int Index = P.IndexOf(Rgb);
        EXPECT_TRUE(P.Fixed());
        EXPECT_NE(Index, TGifPalette::Transparent);
        EXPECT_LE(Difference(P.Colors()[std::size_t(Index)], Rgb), 32) << std::hex << Rgb;
    }
    EXPECT_LE(P.Count(), TGifPalette::MaxEntries);
}

TEST(GifPalette, aFixedPaletteKeepsTheMostUsedColoursExact)
{
    // A panel colour over most of the picture, a red and an orange line, and
    // 400 rare shades.
    QImage Image(400, 40, QImage::Format_RGB32);
    Image.fill(qRgb(239, 239, 239));
    for (int X = 0; X < 400; ++X) {
        Image.setPixel(X, 10, qRgb(255, 0, 0));
        Image.setPixel(X, 20, qRgb(255, 128, 3));
        Image.setPixel(X, 30, qRgb(X % 256, 100 + X / 4, 200 - X / 4));
    }
    TGifPalette P;
    std::vector<std::uint8_t> Out;
    EXPECT_TRUE(P.IndexImage(Image, Out));
    EXPECT_TRUE(P.Fixed());
    const auto At = [&](int X, int Y) { return P.Colors()[Out[std::size_t(Y * 400 + X)]]; };
    EXPECT_EQ(At(0, 0), 0xEFEFEFu);
    EXPECT_EQ(At(5, 10), 0xFF0000u);
    EXPECT_EQ(At(5, 20), 0xFF8003u);
    for (int X = 0; X < 400; ++X)
        EXPECT_LE(Difference(At(X, 30), Image.pixel(X, 30) & 0xFFFFFF), 32) << X;
    // Once fixed it stays so: the next picture is matched, not added.
    EXPECT_FALSE(P.IndexImage(Image, Out));
    EXPECT_EQ(At(5, 20), 0xFF8003u);
}

TEST(GifPalette, indexesAnImageRowByRow)
{
    QImage Image(3, 2, QImage::Format_RGB32);
    const QRgb Colors[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 0, 0),
                            qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(1, 2, 3)};
    for (int I = 0; I < 6; ++I)
        Image.setPixel(I % 3, I / 3, Colors[I]);
    TGifPalette P;
    std::vector<std::uint8_t> Out;
    P.IndexImage(Image, Out);
    ASSERT_EQ(Out.size(), 6u);
    for (int I = 0; I < 6; ++I)
        EXPECT_EQ(P.Colors()[Out[std::size_t(I)]], Colors[I] & 0xFFFFFF) << I;
    EXPECT_EQ(Out[0], Out[2]);
    EXPECT_EQ(Out[1], Out[4]);
    EXPECT_EQ(P.Count(), 5);  // the free entry and four colours
}

// ------------------------------------------------------------ movie

// A chart-like picture: white, a frame, a line whose place depends on N.
QImage Picture(int N, QSize Size = QSize(120, 80))
{
    QImage Image(Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(qRgb(240, 240, 240));
    QPainter P(&Image);
    P.fillRect(QRect(10, 10, 100, 60), Qt::white);
    P.setPen(Qt::black);
    P.drawRect(QRect(10, 10, 100, 60));
    P.setPen(QColor(255, 0, 0));
    P.drawLine(20 + N * 7, 15, 30 + N * 5, 65);
    P.setPen(QColor(0, 128, 0));
    P.drawLine(15, 20 + N * 3, 100, 40);
    return Image;
}

TEST(GifMovie, readsBackAsTheSamePicturesWithTheirDelayAndLoop)
{
    TGifMovie Movie(QSize(120, 80), 7);
    const std::vector<int> Ns = {0, 3, 3, 5, 1};  // frame 2 repeats frame 1
    for (int N : Ns)
        Movie.AddFrame(Picture(N));
    const gifreader::Movie M = gifreader::Decode(Movie.Finish());
    ASSERT_TRUE(M.Ok) << M.Error;
    EXPECT_EQ(M.Version, "GIF89a");
    EXPECT_EQ(M.Size, QSize(120, 80));
    EXPECT_EQ(M.LoopCount, 0);
    ASSERT_EQ(M.Frames.size(), Ns.size());
    for (std::size_t I = 0; I < Ns.size(); ++I) {
        EXPECT_EQ(M.Frames[I].DelayCs, 7) << I;
        EXPECT_EQ(M.Frames[I].Disposal, DISPOSE_DO_NOT) << I;
        EXPECT_TRUE(gifreader::SamePixels(M.Frames[I].Picture, Picture(Ns[I]))) << "frame " << I;
    }
    // The first frame is whole; the later ones only where they changed.
    EXPECT_EQ(M.Frames[0].Area, QRect(0, 0, 120, 80));
    EXPECT_LT(M.Frames[1].Area.width() * M.Frames[1].Area.height(), 120 * 80);
    EXPECT_EQ(M.Frames[2].Area.size(), QSize(1, 1));
}

TEST(GifMovie, coloursArrivingLaterGetAMapOfTheirFrame)
{
    TGifMovie Movie(QSize(40, 30), 10);
    QImage A(40, 30, QImage::Format_RGB32);
    A.fill(Qt::white);
    QImage B = A;
    // Forty new colours in the second frame only.
    for (int X = 0; X < 40; ++X)
        B.setPixel(X, 15, qRgb(X * 6, 100, 200 - X));
    Movie.AddFrame(A);
    Movie.AddFrame(B);
    Movie.AddFrame(A);
    const gifreader::Movie M = gifreader::Decode(Movie.Finish());
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 3u);
    EXPECT_FALSE(M.Frames[0].LocalColorMap);
    EXPECT_TRUE(M.Frames[1].LocalColorMap);
    EXPECT_TRUE(gifreader::SamePixels(M.Frames[1].Picture, B));
    EXPECT_TRUE(gifreader::SamePixels(M.Frames[2].Picture, A));
}

TEST(GifMovie, moreColoursThanAPaletteHoldComeOutClose)
{
    QImage Image(64, 64, QImage::Format_RGB32);
    for (int Y = 0; Y < 64; ++Y)
        for (int X = 0; X < 64; ++X)
            Image.setPixel(X, Y, qRgb(X * 4, Y * 4, 128));
    TGifMovie Movie(Image.size(), 2);
    Movie.AddFrame(Image);
    EXPECT_TRUE(Movie.Palette().Fixed());
    const gifreader::Movie M = gifreader::Decode(Movie.Finish());
    ASSERT_TRUE(M.Ok) << M.Error;
    EXPECT_LE(gifreader::WorstChannelDifference(M.Frames.at(0).Picture, Image), 32);
}

TEST(GifMovie, aColourAddedWithinTheHeadersMapSizeStillGetsAMap)
{
    // Two colours and the free entry: a header map of four. A third colour
    // fits that size but is not in the header's map.
    QImage A(8, 8, QImage::Format_RGB32);
    A.fill(Qt::white);
    A.setPixel(1, 1, qRgb(255, 0, 0));
    QImage B = A;
    B.setPixel(2, 2, qRgb(0, 0, 255));
    TGifMovie Movie(A.size(), 2);
    Movie.AddFrame(A);
    Movie.AddFrame(B);
    const gifreader::Movie M = gifreader::Decode(Movie.Finish());
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 2u);
    EXPECT_TRUE(M.Frames[1].LocalColorMap);
    EXPECT_TRUE(gifreader::SamePixels(M.Frames[1].Picture, B));
}

TEST(GifMovie, aPaletteTurningFixedMidwayStoresThatFrameWhole)
{
    QImage Plain(64, 64, QImage::Format_RGB32);
    Plain.fill(qRgb(239, 239, 239));
    Plain.setPixel(3, 3, qRgb(255, 0, 0));
    QImage Rich = Plain;
    for (int Y = 0; Y < 32; ++Y)
        for (int X = 0; X < 64; ++X)
            Rich.setPixel(X, Y, qRgb(X * 4, Y * 8, 90));
    TGifMovie Movie(Plain.size(), 2);
    Movie.AddFrame(Plain);
    Movie.AddFrame(Rich);
    Movie.AddFrame(Plain);
    const gifreader::Movie M = gifreader::Decode(Movie.Finish());
    ASSERT_TRUE(M.Ok) << M.Error;
    ASSERT_EQ(M.Frames.size(), 3u);
    EXPECT_TRUE(gifreader::SamePixels(M.Frames[0].Picture, Plain));
    EXPECT_EQ(M.Frames[1].Area, QRect(0, 0, 64, 64));
    EXPECT_TRUE(M.Frames[1].LocalColorMap);
    EXPECT_LE(gifreader::WorstChannelDifference(M.Frames[1].Picture, Rich), 32);
    // The panel and the red were used most: they stay exact.
    EXPECT_TRUE(gifreader::SamePixels(M.Frames[2].Picture, Plain));
}

TEST(GifMovie, refusesWhatItCannotStore)
{
    EXPECT_THROW(TGifMovie(QSize(0, 10), 2), EGifError);
    EXPECT_THROW(TGifMovie(QSize(70000, 10), 2), EGifError);

    TGifMovie Movie(QSize(20, 20), 2);
    EXPECT_THROW(Movie.Finish(), EGifError) << "a movie without frames";
    EXPECT_THROW(Movie.AddFrame(QImage(21, 20, QImage::Format_RGB32)), EGifError);
    QImage Frame(20, 20, QImage::Format_RGB32);
    Frame.fill(Qt::white);
    Movie.AddFrame(Frame);
    EXPECT_EQ(Movie.FrameCount(), 1);
    Movie.Finish();
    EXPECT_THROW(Movie.AddFrame(Frame), EGifError);
}

}  // namespace
