#pragma once
// Reads an animated GIF back with giflib, the way a viewer shows it: each
// frame drawn over the last (its transparent pixels keep what was there), so
// a frame can be compared with the picture it was made from.

#include <gif_lib.h>

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace gifreader {

struct Frame {
    QImage Picture;        // the whole canvas after this frame
    int DelayCs = -1;      // -1: no graphics control block
    int Disposal = -1;
    QRect Area;            // where the frame's own pixels lie
    bool LocalColorMap = false;
};

struct Movie {
    bool Ok = false;
    std::string Error;
    std::string Version;   // "GIF89a"
    QSize Size;
    std::vector<Frame> Frames;
    int LoopCount = -1;    // -1: no NETSCAPE2.0 block; 0: for ever
};

namespace detail {
struct Source {
    const std::string* Bytes;
    std::size_t At = 0;
};
inline int Read(GifFileType* Gif, GifByteType* Out, int Length)
{
    auto* S = static_cast<Source*>(Gif->UserData);
    const std::size_t N = std::min<std::size_t>(std::size_t(Length), S->Bytes->size() - S->At);
    std::memcpy(Out, S->Bytes->data() + S->At, N);
    S->At += N;
    return int(N);
}
}  // namespace detail

inline Movie Decode(const std::string& Bytes)
{
    Movie M;
    if (Bytes.size() >= 6) M.Version = Bytes.substr(0, 6);
    detail::Source S{&Bytes};
    int Error = 0;
    GifFileType* Gif = DGifOpen(&S, detail::Read, &Error);
    if (!Gif) {
        M.Error = GifErrorString(Error) ? GifErrorString(Error) : "open failed";
        return M;
    }
    if (DGifSlurp(Gif) != GIF_OK) {
        M.Error = GifErrorString(Gif->Error) ? GifErrorString(Gif->Error) : "slurp failed";
        DGifCloseFile(Gif, &Error);
        return M;
    }
    M.Size = QSize(Gif->SWidth, Gif->SHeight);
    QImage Canvas(M.Size, QImage::Format_RGB32);
    Canvas.fill(Qt::black);
    for (int I = 0; I < Gif->ImageCount; ++I) {
        const SavedImage& Image = Gif->SavedImages[I];
        // The loop block stands among the first image's extensions.
        for (int E = 0; E + 1 < Image.ExtensionBlockCount; ++E) {
            const ExtensionBlock& B = Image.ExtensionBlocks[E];
            if (B.Function == APPLICATION_EXT_FUNC_CODE && B.ByteCount == 11 &&
                std::memcmp(B.Bytes, "NETSCAPE2.0", 11) == 0) {
                const ExtensionBlock& Data = Image.ExtensionBlocks[E + 1];
                if (Data.ByteCount == 3 && Data.Bytes[0] == 1) M.LoopCount = Data.Bytes[1] | (Data.Bytes[2] << 8);
            }
        }
        Frame F;
        GraphicsControlBlock Control{};
        int Transparent = NO_TRANSPARENT_COLOR;
        if (DGifSavedExtensionToGCB(Gif, I, &Control) == GIF_OK) {
            F.DelayCs = Control.DelayTime;
            F.Disposal = Control.DisposalMode;
            Transparent = Control.TransparentColor;
        }
        const GifImageDesc& D = Image.ImageDesc;
        F.Area = QRect(D.Left, D.Top, D.Width, D.Height);
        F.LocalColorMap = D.ColorMap != nullptr;
        const ColorMapObject* Map = D.ColorMap ? D.ColorMap : Gif->SColorMap;
        for (int Y = 0; Y < D.Height; ++Y) {
            for (int X = 0; X < D.Width; ++X) {
                const int Index = Image.RasterBits[Y * D.Width + X];
                if (Index == Transparent) continue;
                if (!Map || Index >= Map->ColorCount) {
                    M.Error = "pixel outside its colour map";
                    DGifCloseFile(Gif, &Error);
                    return M;
                }
                const GifColorType C = Map->Colors[Index];
                Canvas.setPixel(D.Left + X, D.Top + Y, qRgb(C.Red, C.Green, C.Blue));
            }
        }
        F.Picture = Canvas.copy();
        M.Frames.push_back(F);
    }
    DGifCloseFile(Gif, &Error);
    M.Ok = true;
    return M;
}

// Two pictures with the same pixels (alpha ignored).
inline bool SamePixels(const QImage& A, const QImage& B)
{
    if (A.size() != B.size()) return false;
    const QImage X = A.convertToFormat(QImage::Format_RGB32);
    const QImage Y = B.convertToFormat(QImage::Format_RGB32);
    for (int Row = 0; Row < X.height(); ++Row) {
        const auto* P = reinterpret_cast<const quint32*>(X.constScanLine(Row));
        const auto* Q = reinterpret_cast<const quint32*>(Y.constScanLine(Row));
        for (int Col = 0; Col < X.width(); ++Col)
            if ((P[Col] & 0xFFFFFF) != (Q[Col] & 0xFFFFFF)) return false;
    }
    return true;
}

// The largest difference of one colour channel between two pictures.
inline int WorstChannelDifference(const QImage& A, const QImage& B)
{
    if (A.size() != B.size()) return 256;
    int Worst = 0;
    for (int Y = 0; Y < A.height(); ++Y)
        for (int X = 0; X < A.width(); ++X) {
            const QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
            Worst = std::max({Worst, std::abs(qRed(P) - qRed(Q)), std::abs(qGreen(P) - qGreen(Q)),
                              std::abs(qBlue(P) - qBlue(Q))});
        }
    return Worst;
}

}  // namespace gifreader
