#include "sounding/Archive.h"

#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kPiece = std::size_t(1) << 20;

std::string TooLarge(std::uint64_t Budget)
{
    return "The archive inflates past " + std::to_string(Budget >> 20) +
           " MiB; it is refused as a likely zip bomb";
}

}  // namespace

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

// libdeflate inflates about three times as fast as zlib but only whole
// streams into a buffer of the final size, so it serves the streams of one
// member whose announced size is small enough to hold; the rest stream
// through zlib. False when it did not inflate (a damaged, cut or lying
// stream): zlib then reads it again and tells what is wrong.
bool InflateWhole(std::string_view Compressed, std::uint64_t Budget, const TChunkSink& Sink)
{
    constexpr std::uint64_t kWholeLimit = std::uint64_t(64) << 20;
    if (Compressed.size() < 18) return false;
    const auto* tail = reinterpret_cast<const unsigned char*>(Compressed.data() + Compressed.size() - 4);
    const std::uint64_t announced = tail[0] | tail[1] << 8 | tail[2] << 16 | std::uint64_t(tail[3]) << 24;
    if (announced > kWholeLimit || announced > Budget) return false;
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> d(libdeflate_alloc_decompressor(),
                                                                                  libdeflate_free_decompressor);
    if (!d) return false;
    std::string out(static_cast<std::size_t>(announced), '\0');
    std::size_t in = 0, produced = 0;
    if (libdeflate_gzip_decompress_ex(d.get(), Compressed.data(), Compressed.size(), out.data(), out.size(), &in,
                                      &produced) != LIBDEFLATE_SUCCESS ||
        in != Compressed.size() || produced != out.size())
        return false;
    for (std::size_t at = 0; at < out.size(); at += kPiece)
        Sink(std::string_view(out).substr(at, kPiece));
    return true;
}

}  // namespace

std::string InflateGzip(std::string_view Compressed, const TSourceLimits& Limits, const TChunkSink& Sink,
                        std::string* Warning)
{
    const std::uint64_t budget = Limits.InflateBudget(Compressed.size());
    if (InflateWhole(Compressed, budget, Sink)) return {};
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
        if (rc != Z_OK) return std::string("The compressed file is damaged (") + (z.msg ? z.msg : "inflate failed") + ")";
    }
}

std::string InflateZip(std::string_view Archive, const TSourceLimits& Limits, const TChunkSink& Sink)
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
        std::string reason = std::string("The zip archive is damaged or truncated (") + zip_error_strerror(&error) + ")";
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
