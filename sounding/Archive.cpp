#include "sounding/Archive.h"

#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include "platform/Platform.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kPiece = kPieceBytes;

std::string TooLarge(std::uint64_t Budget)
{
    return "The archive inflates past " + std::to_string(Budget >> 20) + " MiB; it is refused as a likely zip bomb";
}

}  // namespace

TMappedText::TMappedText(std::size_t Size) : memory_(platform::files().MapMemory(Size)) {}

TMappedText::TMappedText(int Fd, std::size_t Size) : memory_(platform::MapOpenFile(Fd, Size)) {}

TMappedText::TMappedText(std::unique_ptr<platform::Mapping> Memory) : memory_(std::move(Memory)) {}

TMappedText::~TMappedText() = default;

void TMappedText::Release(std::size_t From, std::size_t To)
{
    if (memory_) memory_->Release(From, To);
}

std::uint64_t TSourceLimits::InflateBudget(std::uint64_t Compressed) const
{
    const std::uint64_t byRatio =
        Compressed > (std::numeric_limits<std::uint64_t>::max() - RatioAllowance) / std::max<std::uint64_t>(MaxRatio, 1)
            ? std::numeric_limits<std::uint64_t>::max()
            : Compressed * MaxRatio + RatioAllowance;
    return std::min(MaxInflated, byRatio);
}

bool LooksGzip(std::string_view Bytes)
{
    return Bytes.size() >= 2 && static_cast<unsigned char>(Bytes[0]) == 0x1f &&
           static_cast<unsigned char>(Bytes[1]) == 0x8b;
}

bool LooksZip(std::string_view Bytes) { return Bytes.size() >= 4 && Bytes.substr(0, 2) == "PK"; }

namespace {

// A buffer for a whole inflated text, whose pages go back to the system
// as soon as the reader has had their text: the text is never held beside
// all the soundings made of it.
class TWholeBuffer : public TMappedText {
public:
    using TMappedText::TMappedText;

    // Hands the text to Whole, or to Sink piece by piece, returning each
    // piece's pages.
    void Feed(const TChunkSink& Sink, const TWholeSink* Whole)
    {
        if (Whole) {
            (*Whole)(*this);
            return;
        }
        for (std::size_t at = 0; at < Size(); at += kPiece) {
            const std::size_t n = std::min(kPiece, Size() - at);
            Sink(std::string_view(Data() + at, n));
            Release(at, at + n);
        }
    }
};

using TDecompressor = std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>;

TDecompressor NewDecompressor() { return {libdeflate_alloc_decompressor(), libdeflate_free_decompressor}; }

// libdeflate inflates about three times as fast as zlib, but only whole
// streams into a buffer of the final size: it serves every stream whose
// announced size lies within the limits. False when it did not inflate (a
// damaged, cut or lying stream, several members): zlib then reads it again,
// piece by piece, and tells what is wrong.
bool InflateWhole(std::string_view Compressed, std::uint64_t Budget, const TChunkSink& Sink, const TWholeSink* Whole)
{
    if (Compressed.size() < 18) return false;
    const auto* tail = reinterpret_cast<const unsigned char*>(Compressed.data() + Compressed.size() - 4);
    const std::uint64_t announced = tail[0] | tail[1] << 8 | tail[2] << 16 | std::uint64_t(tail[3]) << 24;
    if (announced > Budget) return false;
    TDecompressor d = NewDecompressor();
    TWholeBuffer out(static_cast<std::size_t>(announced));
    if (!d || !out.Ok()) return false;
    std::size_t in = 0, produced = 0;
    libdeflate_result result;
    {
        // The pages are faulted in on another core while this one inflates.
        platform::ReadAhead ahead(out.Memory());
        result = libdeflate_gzip_decompress_ex(d.get(), Compressed.data(), Compressed.size(), out.Data(), out.Size(),
                                               &in, &produced);
        ahead.Finish();
    }
    if (result != LIBDEFLATE_SUCCESS || in != Compressed.size() || produced != out.Size()) return false;
    out.Feed(Sink, Whole);
    return true;
}

// The same for a deflated zip member: its raw stream inflated whole into the
// size the directory gives, checked against the directory's CRC. The
// directory may lie: a member claimed larger than the archive (ArchiveBytes)
// is read piece by piece instead.
bool InflateZipWhole(zip_t* Archive, zip_uint64_t Member, const zip_stat_t& Stat, std::uint64_t Budget,
                     std::uint64_t ArchiveBytes, const TChunkSink& Sink, const TWholeSink* Whole)
{
    constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((Stat.valid & kNeeded) != kNeeded || Stat.comp_method != ZIP_CM_DEFLATE || Stat.size > Budget ||
        Stat.comp_size > ArchiveBytes)
        return false;
    zip_file_t* raw = zip_fopen_index(Archive, Member, ZIP_FL_COMPRESSED);
    if (!raw) return false;
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> rawGuard(raw, zip_fclose);
    // Not zeroed first: every byte is read into it.
    const std::size_t packedSize = static_cast<std::size_t>(Stat.comp_size);
    auto packed = std::make_unique_for_overwrite<char[]>(packedSize);
    std::size_t got = 0;
    while (got < packedSize) {
        const zip_int64_t n = zip_fread(raw, packed.get() + got, packedSize - got);
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    TDecompressor d = NewDecompressor();
    TWholeBuffer out(static_cast<std::size_t>(Stat.size));
    if (!d || !out.Ok()) return false;
    std::size_t produced = 0;
    libdeflate_result result;
    {
        platform::ReadAhead ahead(out.Memory());
        result = libdeflate_deflate_decompress(d.get(), packed.get(), packedSize, out.Data(), out.Size(), &produced);
        ahead.Finish();
    }
    if (result != LIBDEFLATE_SUCCESS || produced != out.Size() ||
        libdeflate_crc32(0, out.Data(), out.Size()) != Stat.crc)
        return false;
    packed.reset();
    out.Feed(Sink, Whole);
    return true;
}

}  // namespace

std::string InflateGzip(std::string_view Compressed, const TSourceLimits& Limits, const TChunkSink& Sink,
                        std::string* Warning, const TWholeSink* Whole)
{
    const std::uint64_t budget = Limits.InflateBudget(Compressed.size());
    if (InflateWhole(Compressed, budget, Sink, Whole)) return {};
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return "The decompressor could not start";
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
    std::vector<char> out(kPiece);
    std::uint64_t total = 0;
    std::size_t at = 0;  // next unread compressed byte
    for (;;) {
        if (z.avail_in == 0) {
            const std::size_t n = std::min<std::size_t>(Compressed.size() - at, std::numeric_limits<uInt>::max());
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Compressed.data() + at));
            z.avail_in = static_cast<uInt>(n);
            at += n;
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = out.size() - z.avail_out;
        total += produced;
        if (total > budget) return TooLarge(budget);
        if (produced) Sink(std::string_view(out.data(), produced));
        if (rc == Z_STREAM_END) {
            // Another member may follow (concatenated gzip files are one file).
            const std::size_t left = z.avail_in + (Compressed.size() - at);
            if (left == 0) return {};
            if (!LooksGzip(Compressed.substr(Compressed.size() - left))) {
                if (Warning)
                    *Warning = std::to_string(left) + " bytes after the end of the compressed stream were ignored";
                return {};
            }
            if (inflateReset(&z) != Z_OK) return "The decompressor could not go on";
            continue;
        }
        if (rc == Z_BUF_ERROR || (rc == Z_OK && produced == 0 && z.avail_in == 0)) {
            if (z.avail_in == 0 && at >= Compressed.size()) return "The compressed file is truncated";
            continue;
        }
        if (rc != Z_OK)
            return std::string("The compressed file is damaged (") + (z.msg ? z.msg : "inflate failed") + ")";
    }
}

std::string InflateZip(std::string_view Archive, const TSourceLimits& Limits, const TChunkSink& Sink,
                       const TWholeSink* Whole)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(Archive.data(), Archive.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return "The zip archive could not be opened";
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        std::string reason =
            std::string("The zip archive is damaged or truncated (") + zip_error_strerror(&error) + ")";
        zip_error_fini(&error);
        return reason;
    }
    zip_error_fini(&error);
    std::unique_ptr<zip_t, void (*)(zip_t*)> guard(archive, zip_discard);

    // The one member that is a file; folder entries do not count.
    zip_int64_t member = -1;
    int files = 0;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (name && *name && name[std::char_traits<char>::length(name) - 1] == '/') continue;
        member = i;
        ++files;
    }
    if (files == 0) return "The zip archive holds no file";
    if (files > 1) return "The zip archive holds " + std::to_string(files) + " files; one station file is expected";

    zip_stat_t stat;
    zip_stat_init(&stat);
    // The directory may claim any compressed size; the member's real bytes
    // are no more than the archive holds.
    std::uint64_t compressed = Archive.size();
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(member), 0, &stat) == 0 && (stat.valid & ZIP_STAT_COMP_SIZE))
        compressed = std::min<std::uint64_t>(stat.comp_size, Archive.size());
    const std::uint64_t budget = Limits.InflateBudget(compressed);
    // The size the directory announces is checked first, the bytes inflated
    // after: the directory may lie.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > budget) return TooLarge(budget);

    if (InflateZipWhole(archive, static_cast<zip_uint64_t>(member), stat, budget, Archive.size(), Sink, Whole))
        return {};
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(member), 0);
    if (!file) return std::string("The zip member cannot be read (") + zip_strerror(archive) + ")";
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> fileGuard(file, zip_fclose);
    std::vector<char> out(kPiece);
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file, out.data(), out.size());
        if (n < 0) return std::string("The zip member is damaged or truncated (") + zip_file_strerror(file) + ")";
        if (n == 0) return {};
        total += static_cast<std::uint64_t>(n);
        if (total > budget) return TooLarge(budget);
        Sink(std::string_view(out.data(), static_cast<std::size_t>(n)));
    }
}
