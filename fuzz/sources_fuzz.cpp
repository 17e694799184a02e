// The station-file readers on arbitrary bytes (plain, or inside a .gz or a
// .zip when the bytes start so), then the merge and the date filter on what
// they read.
//
// Promises checked: no crash, hang or sanitizer report; every level kept has
// a temperature; a result without soundings from an unknown format says
// "Bad data file"; the merge is in launch-time order with each station and
// time once and loses no launch but duplicates; the date filter keeps
// exactly the launches inside its range.

#include "fuzz/FuzzSupport.h"

#include "sounding/SoundingSources.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
    fuzz::InitCore(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
    fuzz::QuietPlatform quiet;  // a sounding page is read as well
    TSourceLimits limits;
    limits.MaxInflated = std::uint64_t(4) << 20;  // small, so bombs end quickly
    TSourceResult r = ReadSoundingSource(bytes, limits);
    if (r.Format == TSourceFormat::Unknown)
        FUZZ_CHECK(r.Error.find(kBadDataFile) != std::string::npos || r.Compressed,
                   "unknown format without Bad data file: " + r.Error);
    for (const TSounding& s : r.Soundings)
        for (const TSoundingLevel& l : s.Levels) FUZZ_CHECK(l.Temperature >= -500, "a level without temperature");

    // Launches without a station are never taken for repeats.
    std::set<std::string> launches, times;
    std::size_t kept = 0;
    for (const TSounding& s : r.Soundings) {
        const sounding::TLaunchKey& k = s.Launch;
        if (k.Known() && !sounding::StationOf(k).empty()) {
            const std::string time =
                std::string(sounding::StationOf(k)) + ' ' + sounding::DateText(k.Date()) + ' ' + std::to_string(k.Hour);
            times.insert(time);
            launches.insert(time + ' ' + std::to_string(k.Release));
        } else {
            ++kept;
        }
    }
    std::vector<std::vector<TSounding>> sets{r.Soundings, r.Soundings};
    const std::vector<TSounding> merged = MergeSoundings(std::move(sets));
    FUZZ_CHECK(merged.size() >= times.size() + 2 * kept && merged.size() <= launches.size() + 2 * kept,
               "merge kept " + std::to_string(merged.size()));
    std::int64_t last = INT64_MIN;
    bool timeless = false;
    for (const TSounding& s : merged) {
        const std::optional<std::int64_t> when = sounding::LaunchHour(s.Launch);
        if (!s.Launch.Known()) {
            timeless = true;  // soundings without a launch come last
            continue;
        }
        FUZZ_CHECK(!timeless && (!when || *when >= last), "merge out of order at '" + fuzz::Printable(s.Title) + "'");
        if (when) last = *when;
    }
    const std::vector<TSounding> some = FilterByDate(merged, "1950-01-01", "2016-06-30");
    std::size_t inside = 0;
    for (const TSounding& s : merged) {
        const std::string date = s.Launch.Known() ? sounding::DateText(s.Launch.Date()) : std::string();
        if (!date.empty() && date >= "1950-01-01" && date <= "2016-06-30") ++inside;
    }
    FUZZ_CHECK(some.size() == inside, "date filter kept " + std::to_string(some.size()));
    return 0;
}
