#include "movie/MovieExport.h"

#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "movie/GifMovie.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {

using platform::DirectoryOf;
using platform::NameOf;

bool IsOpaque(const QImage& Image)
{
    if (!Image.hasAlphaChannel()) return true;
    if (Image.format() != QImage::Format_ARGB32 && Image.format() != QImage::Format_ARGB32_Premultiplied) return false;
    for (int Y = 0; Y < Image.height(); ++Y) {
        const auto* Row = reinterpret_cast<const std::uint32_t*>(Image.constScanLine(Y));
        for (int X = 0; X < Image.width(); ++X)
            if ((Row[X] >> 24) != 0xFF) return false;
    }
    return true;
}

void CheckSpan(TFramePictures& Renderer, const TFrameSpan& Span)
{
    const int Count = Renderer.FrameCount();
    if (Count < 1) throw EExportError("the page holds no soundings");
    if (Span.First < 0 || Span.Last < Span.First || Span.Last >= Count)
        throw EExportError("frames " + std::to_string(Span.First) + " to " + std::to_string(Span.Last) +
                           " are not on the page (its frames are 0 to " + std::to_string(Count - 1) + ")");
    if (Span.Size.width() < 1 || Span.Size.height() < 1)
        throw EExportError("a frame size of " + std::to_string(Span.Size.width()) + " x " +
                           std::to_string(Span.Size.height()) + " pixels is empty");
}

// A long export should fail at once, not after all its frames, when its
// file could never be written.
void CheckTargetDirectory(const std::string& Path)
{
    const std::string Directory = DirectoryOf(Path).empty() ? std::string(".") : DirectoryOf(Path);
    std::error_code Failure;
    if (!std::filesystem::is_directory(Directory, Failure))
        throw EExportError("cannot write '" + Path + "': " + Directory + " is not a directory");
    if (::access(Directory.c_str(), W_OK) != 0)
        throw EExportError("cannot write '" + Path + "': " + std::strerror(errno));
}

void Report(const TExportProgress& Progress, int Done, int Total)
{
    if (Progress && !Progress(Done, Total)) throw EExportCancelled();
}

}  // namespace

std::string FrameFileName(int Index)
{
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "frame_%04d.png", Index);
    return Buffer;
}

void WriteFileReplacing(const std::string& Path, const std::string& Contents)
{
    platform::FileError Error;
    if (!platform::ReplaceFile(Path, Contents, Error))
        throw EExportError("cannot write '" + Path + "': " + Error.Message);
}

std::string EncodePng(const QImage& Image)
{
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "png");
    const QImage Stored = IsOpaque(Image) ? Image.convertToFormat(QImage::Format_RGB32) : Image;
    if (!Writer.write(Stored)) throw EExportError("cannot encode a PNG image: " + Writer.errorString().toStdString());
    return std::string(Bytes.constData(), std::size_t(Bytes.size()));
}

void ExportPngFrames(TFramePictures& Renderer, const TFrameSpan& Span, const std::string& Directory,
                     const TExportProgress& Progress)
{
    CheckSpan(Renderer, Span);
    if (Directory.empty()) throw EExportError("no directory given for the PNG frames");
    std::error_code Failure;
    std::filesystem::create_directories(Directory, Failure);
    if (!std::filesystem::is_directory(Directory))
        throw EExportError("cannot write into '" + Directory +
                           "': " + (Failure ? Failure.message() : std::string("not a directory")));
    const std::string Prefix = Directory.back() == '/' ? Directory : Directory + "/";
    const int Total = Span.Count();
    for (int K = Span.First; K <= Span.Last; ++K) {
        const QImage Frame = Renderer.RenderFrame(K, Span.Size);
        WriteFileReplacing(Prefix + FrameFileName(K), EncodePng(Frame));
        Report(Progress, K - Span.First + 1, Total);
    }
}

std::string EncodeGifMovie(TFramePictures& Renderer, const TFrameSpan& Span, int DelayMs,
                           const TExportProgress& Progress)
{
    CheckSpan(Renderer, Span);
    TGifMovie Movie(Span.Size, GifDelayCentiseconds(DelayMs));
    const int Total = Span.Count();
    for (int K = Span.First; K <= Span.Last; ++K) {
        Movie.AddFrame(Renderer.RenderFrame(K, Span.Size));
        Report(Progress, K - Span.First + 1, Total);
    }
    return Movie.Finish();
}

void ExportGifMovie(TFramePictures& Renderer, const TFrameSpan& Span, int DelayMs, const std::string& Path,
                    const TExportProgress& Progress)
{
    CheckTargetDirectory(Path);
    // Nothing touches the disk until the whole movie is encoded.
    const std::string Bytes = EncodeGifMovie(Renderer, Span, DelayMs, Progress);
    WriteFileReplacing(Path, Bytes);
}
