#pragma once
// A page's frames written out as pictures: one PNG file per frame, or one
// animated GIF. The frames come from a TFramePictures (a TFrameRenderer draws
// the chart the window shows for each sounding). Every file is written under a
// temporary name beside its target and renamed only once it is complete: a
// failed or cancelled export never leaves a half-written file, and an older
// file of the same name stays as it was.

#include "movie/SoundingChart.h"
#include "components/jtSysUtils.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <string>

// A write that failed; the message names the file.
class EExportError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EExportError"; }
};

// The export was stopped by its progress callback.
class EExportCancelled : public Exception {
public:
    EExportCancelled() : Exception("Export cancelled") {}
    const char* ClassName() const noexcept override { return "EExportCancelled"; }
};

// Called after each frame with the number of frames done and the number in
// all; false stops the export (EExportCancelled). Skipped when empty.
using TExportProgress = std::function<bool(int Done, int Total)>;

// The frames First to Last (inclusive, sounding indices) at Size.
struct TFrameSpan {
    int First = 0;
    int Last = 0;
    QSize Size{Chart1Width, Chart1Height};
    int Count() const { return Last - First + 1; }
};

// "frame_0000.png" for frame 0; more digits once the index needs them.
std::string FrameFileName(int Index);

// Writes Contents to Path through a temporary file in the same directory,
// which then replaces Path in one step. On failure the temporary file is
// removed, Path is left as it was, and EExportError tells why.
void WriteFileReplacing(const std::string& Path, const std::string& Contents);

// The image as PNG file contents; opaque images are stored without alpha.
std::string EncodePng(const QImage& Image);

// One PNG file per frame in Directory (created when missing), named by
// FrameFileName. Frames already written stay when a later one fails.
void ExportPngFrames(TFramePictures& Renderer, const TFrameSpan& Span, const std::string& Directory,
                     const TExportProgress& Progress = {});

// The frames as one animated GIF at Path, each shown for DelayMs
// milliseconds (see GifDelayCentiseconds), looping forever.
void ExportGifMovie(TFramePictures& Renderer, const TFrameSpan& Span, int DelayMs, const std::string& Path,
                    const TExportProgress& Progress = {});

// The GIF file contents of the frames, without writing anything.
std::string EncodeGifMovie(TFramePictures& Renderer, const TFrameSpan& Span, int DelayMs,
                           const TExportProgress& Progress = {});
