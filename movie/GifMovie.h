#pragma once
// An animated GIF built frame by frame in memory with giflib: one palette
// for the whole movie, every frame shown for the same time, looping forever.
// After the first frame only the rectangle that changed is stored, its
// unchanged pixels transparent, which keeps a movie of a chart small.

#include "components/jtSysUtils.h"
#include "movie/GifPalette.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

#include "sounding/FrameChoice.h"

// A failure of the GIF library.
class EGifError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EGifError"; }
};

// A frame interval in milliseconds as a GIF delay in hundredths of a second:
// rounded, and never below 2 (20 ms); viewers show shorter delays as a slow
// tenth of a second or more.
int GifDelayCentiseconds(int Milliseconds);

class TGifMovie {
public:
    // Frames must all be of Size; each is shown for DelayCs hundredths of a
    // second.
    TGifMovie(QSize Size, int DelayCs);
    ~TGifMovie();
    TGifMovie(const TGifMovie&) = delete;
    TGifMovie& operator=(const TGifMovie&) = delete;

    void AddFrame(const QImage& Frame);
    int FrameCount() const { return frames_; }
    // Ends the movie and hands over its bytes; no frame can follow.
    std::string Finish();

    const TGifPalette& Palette() const { return palette_; }

private:
    struct GifHandle;
    void Begin();
    void Check(int Result, const char* What);

    QSize size_;
    int delayCs_;
    int frames_ = 0;
    bool finished_ = false;
    std::string bytes_;
    GifHandle* gif_ = nullptr;
    TGifPalette palette_;
    // The palette as the header's colour map holds it; frames with entries
    // beyond it, or after the palette turned fixed, carry a map of their own.
    int globalCount_ = 0;
    int globalGeneration_ = 0;
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> previous_;
    std::vector<std::uint8_t> region_;
};
