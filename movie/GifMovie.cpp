#include "movie/GifMovie.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

int GifDelayCentiseconds(int Milliseconds)
{
    const int Clamped = std::clamp(Milliseconds, 0, MaxGifDelayMs);
    return std::max(2, (Clamped + 5) / 10);
}

namespace {

int AppendBytes(GifFileType* Gif, const GifByteType* Data, int Length)
{
    static_cast<std::string*>(Gif->UserData)->append(reinterpret_cast<const char*>(Data), std::size_t(Length));
    return Length;
}

// The smallest power of two, at least 2, that holds Count entries.
int MapSize(int Count)
{
    int Size = 2;
    while (Size < Count)
        Size *= 2;
    return Size;
}

struct ColorMap {
    ColorMapObject* Map;
    ColorMap(const std::vector<std::uint32_t>& Colors, int Size)
    {
        std::vector<GifColorType> Entries(std::size_t(Size), GifColorType{0, 0, 0});
        for (std::size_t I = 0; I < Colors.size() && I < Entries.size(); ++I)
            Entries[I] = GifColorType{GifByteType(Colors[I] >> 16), GifByteType(Colors[I] >> 8), GifByteType(Colors[I])};
        Map = GifMakeMapObject(Size, Entries.data());
        if (!Map)
            throw EGifError("GIF: out of memory for a colour map");
    }
    ~ColorMap() { GifFreeMapObject(Map); }
    ColorMap(const ColorMap&) = delete;
    ColorMap& operator=(const ColorMap&) = delete;
};

}  // namespace

struct TGifMovie::GifHandle {
    GifFileType* File = nullptr;
};

TGifMovie::TGifMovie(QSize Size, int DelayCs) : size_(Size), delayCs_(std::clamp(DelayCs, 0, 65535))
{
    if (Size.width() < 1 || Size.height() < 1 || Size.width() > 65535 || Size.height() > 65535)
        throw EGifError("GIF: a frame size of " + std::to_string(Size.width()) + " x " +
                        std::to_string(Size.height()) + " pixels cannot be stored");
}

TGifMovie::~TGifMovie()
{
    if (gif_) {
        if (gif_->File) {
            int Error = 0;
            EGifCloseFile(gif_->File, &Error);
        }
        delete gif_;
    }
}

void TGifMovie::Check(int Result, const char* What)
{
    if (Result == GIF_OK)
        return;
    const char* Reason = gif_ && gif_->File ? GifErrorString(gif_->File->Error) : nullptr;
    throw EGifError(std::string("GIF: cannot write ") + What + (Reason ? std::string(": ") + Reason : std::string()));
}

void TGifMovie::Begin()
{
    gif_ = new GifHandle;
    int Error = 0;
    gif_->File = EGifOpen(&bytes_, AppendBytes, &Error);
    if (!gif_->File) {
        const char* Reason = GifErrorString(Error);
        throw EGifError(std::string("GIF: cannot start the movie") + (Reason ? std::string(": ") + Reason : ""));
    }
    // Delays and the loop need the 89a format.
    EGifSetGifVersion(gif_->File, true);

    globalCount_ = palette_.Count();
    globalGeneration_ = palette_.Generation();
    ColorMap Global(palette_.Colors(), MapSize(globalCount_));
    Check(EGifPutScreenDesc(gif_->File, size_.width(), size_.height(), 8, 0, Global.Map), "the header");

    // The NETSCAPE2.0 extension: loop count 0, for ever.
    static const GifByteType Application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType Loop[] = {1, 0, 0};
    Check(EGifPutExtensionLeader(gif_->File, APPLICATION_EXT_FUNC_CODE), "the loop extension");
    Check(EGifPutExtensionBlock(gif_->File, sizeof Application, Application), "the loop extension");
    Check(EGifPutExtensionBlock(gif_->File, sizeof Loop, Loop), "the loop extension");
    Check(EGifPutExtensionTrailer(gif_->File), "the loop extension");
}

void TGifMovie::AddFrame(const QImage& Frame)
{
    if (finished_)
        throw EGifError("GIF: the movie is already finished");
    if (Frame.size() != size_)
        throw EGifError("GIF: a frame of " + std::to_string(Frame.width()) + " x " + std::to_string(Frame.height()) +
                        " pixels does not fit a movie of " + std::to_string(size_.width()) + " x " +
                        std::to_string(size_.height()));
    // A palette that turned fixed gave the earlier pixels other indices: the
    // frame is then stored whole, like the first.
    const bool Turned = palette_.IndexImage(Frame, current_);
    const bool First = frames_ == 0;
    // The header's colour map is the first frame's palette.
    if (First)
        Begin();

    const int W = size_.width();
    const int H = size_.height();
    int Left = 0, Top = 0, Right = W - 1, Bottom = H - 1;
    bool Transparent = false;
    if (!First && !Turned) {
        // The rectangle around the pixels that changed since the last frame.
        Left = W;
        Right = -1;
        Top = -1;
        Bottom = -1;
        for (int Y = 0; Y < H; ++Y) {
            const std::uint8_t* A = current_.data() + std::size_t(Y) * std::size_t(W);
            const std::uint8_t* B = previous_.data() + std::size_t(Y) * std::size_t(W);
            if (std::memcmp(A, B, std::size_t(W)) == 0)
                continue;
            if (Top < 0)
                Top = Y;
            Bottom = Y;
            int X0 = 0;
            while (A[X0] == B[X0])
                ++X0;
            int X1 = W - 1;
            while (A[X1] == B[X1])
                --X1;
            Left = std::min(Left, X0);
            Right = std::max(Right, X1);
        }
        if (Top < 0) {
            // Nothing changed; the frame still holds its time on screen.
            Left = Right = Top = Bottom = 0;
        }
        Transparent = true;
    }
    const int RW = Right - Left + 1;
    const int RH = Bottom - Top + 1;
    region_.resize(std::size_t(RW) * std::size_t(RH));
    for (int Y = 0; Y < RH; ++Y) {
        const std::size_t Offset = std::size_t(Top + Y) * std::size_t(W) + std::size_t(Left);
        std::uint8_t* Dest = region_.data() + std::size_t(Y) * std::size_t(RW);
        const std::uint8_t* Cur = current_.data() + Offset;
        if (!Transparent) {
            std::memcpy(Dest, Cur, std::size_t(RW));
            continue;
        }
        const std::uint8_t* Prev = previous_.data() + Offset;
        for (int X = 0; X < RW; ++X)
            Dest[X] = Cur[X] == Prev[X] ? TGifPalette::Transparent : Cur[X];
    }

    GraphicsControlBlock Control{};
    Control.DisposalMode = DISPOSE_DO_NOT;
    Control.UserInputFlag = false;
    Control.DelayTime = delayCs_;
    Control.TransparentColor = Transparent ? TGifPalette::Transparent : NO_TRANSPARENT_COLOR;
    GifByteType Extension[4];
    const std::size_t Length = EGifGCBToExtension(&Control, Extension);
    Check(EGifPutExtension(gif_->File, GRAPHICS_EXT_FUNC_CODE, int(Length), Extension), "a frame's delay");

    // Entries that came, or changed, after the header need a map of the
    // frame's own.
    if (palette_.Generation() != globalGeneration_ || palette_.Count() > globalCount_) {
        ColorMap Local(palette_.Colors(), MapSize(palette_.Count()));
        Check(EGifPutImageDesc(gif_->File, Left, Top, RW, RH, false, Local.Map), "a frame");
    } else {
        Check(EGifPutImageDesc(gif_->File, Left, Top, RW, RH, false, nullptr), "a frame");
    }
    for (int Y = 0; Y < RH; ++Y)
        Check(EGifPutLine(gif_->File, region_.data() + std::size_t(Y) * std::size_t(RW), RW), "a frame");

    previous_.swap(current_);
    ++frames_;
}

std::string TGifMovie::Finish()
{
    if (finished_)
        throw EGifError("GIF: the movie is already finished");
    if (frames_ == 0)
        throw EGifError("GIF: a movie needs at least one frame");
    finished_ = true;
    int Error = 0;
    GifFileType* File = gif_->File;
    gif_->File = nullptr;
    if (EGifCloseFile(File, &Error) != GIF_OK) {
        const char* Reason = GifErrorString(Error);
        throw EGifError(std::string("GIF: cannot finish the movie") + (Reason ? std::string(": ") + Reason : ""));
    }
    return std::move(bytes_);
}
