#include "analysis/ClimatologyCache.h"

#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/SoundingSet.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace sounding {

namespace {

constexpr char kKeyMagic[8] = {'P', 'R', 'F', 'C', 'L', 'K', 'E', 'Y'};

// What tells one state of a record from another: its size and its
// modification time (nanoseconds as the file system keeps them).
struct TRecordKey {
    std::uint64_t Size = 0;
    std::int64_t Modified = 0;
};

std::optional<TRecordKey> KeyOf(const std::string& Path)
{
    std::error_code error;
    const std::filesystem::path path(Path);
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return TRecordKey{
        std::uint64_t(size),
        std::int64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count())};
}

std::string KeyBytes(const TRecordKey& Key)
{
    std::string bytes(kKeyMagic, sizeof kKeyMagic);
    bytes.append(reinterpret_cast<const char*>(&Key.Size), sizeof Key.Size);
    bytes.append(reinterpret_cast<const char*>(&Key.Modified), sizeof Key.Modified);
    return bytes;
}

// The kept climatology when it was made from the record as it is now.
std::optional<TClimatology> ReadKept(const std::string& CachePath, const TRecordKey& Key)
{
    std::string bytes;
    platform::FileError error;
    if (!platform::files().FileExists(CachePath) || !platform::files().ReadAll(CachePath, bytes, error))
        return std::nullopt;
    const std::string key = KeyBytes(Key);
    if (bytes.compare(0, key.size(), key) != 0) return std::nullopt;
    return TClimatology::Deserialize(std::string_view(bytes).substr(key.size()));
}

}  // namespace

std::string ClimatologyCachePath(const std::string& RecordPath) { return RecordPath + ".climate"; }

TStationClimatology StationClimatology(const std::string& RecordPath, const TElevationOf& Elevations, int Threads)
{
    TStationClimatology result;
    const std::string cachePath = ClimatologyCachePath(RecordPath);
    const std::optional<TRecordKey> before = KeyOf(RecordPath);
    if (!before) {
        result.Message = RecordPath + ": no such file";
        return result;
    }
    if ((result.Climatology = ReadKept(cachePath, *before))) {
        result.FromCache = true;
        return result;
    }
    TSoundingSet read = ReadSoundingFiles({RecordPath}, {}, Elevations);
    if (!read.Ok()) {
        result.Message = read.Error;
        return result;
    }
    result.Climatology = BuildClimatology(read.Soundings, Threads);
    read.Soundings.clear();
    // A record replaced while it was read is not kept under either key.
    const std::optional<TRecordKey> after = KeyOf(RecordPath);
    if (!after || after->Size != before->Size || after->Modified != before->Modified) return result;
    platform::FileError error;
    if (!platform::ReplaceFile(cachePath, KeyBytes(*before) + result.Climatology->Serialize(), error,
                               platform::TNameMode::OwnFile))
        result.Message = "cannot keep the climatology in " + cachePath + ": " + error.Message;
    return result;
}

}  // namespace sounding
