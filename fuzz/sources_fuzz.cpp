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

#include <cstdint>
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
    if (r.Format == TSourceFormat::Unknown) FUZZ_CHECK(r.Error.find(kBadDataFile) != std::string::npos || r.Compressed,
                                                       "unknown format without Bad data file: " + r.Error);
    for (const TSounding& s : r.Soundings)
        for (const TSoundingLevel& l : s.Levels) FUZZ_CHECK(l.Temperature >= -500, "a level without temperature");

    std::set<std::string> launches;
    std::size_t timeless = 0;
    for (const TSounding& s : r.Soundings) {
        const TLaunchTime t = LaunchOfTitle(s.Title);
        if (t.Valid) launches.insert(t.Station + ' ' + t.Date + ' ' + std::to_string(t.Hour));
        else ++timeless;
    }
    std::vector<std::vector<TSounding>> sets{r.Soundings, r.Soundings};
    const std::vector<TSounding> merged = MergeSoundings(std::move(sets));
    FUZZ_CHECK(merged.size() == launches.size() + 2 * timeless, "merge kept " + std::to_string(merged.size()));
    std::string last;
    for (const TSounding& s : merged) {
        const TLaunchTime t = LaunchOfTitle(s.Title);
        if (!t.Valid) {
            last = "~";  // timeless soundings come last
            continue;
        }
        const std::string when = t.Date + ' ' + (t.Hour < 10 ? "0" : "") + std::to_string(t.Hour);
        FUZZ_CHECK(last != "~" && when >= last, "merge out of order at '" + fuzz::Printable(s.Title) + "'");
        last = when;
    }
    const std::vector<TSounding> some = FilterByDate(merged, "1950-01-01", "2016-06-30");
    std::size_t inside = 0;
    for (const TSounding& s : merged) {
        const TLaunchTime t = LaunchOfTitle(s.Title);
        if (t.Valid && t.Date >= "1950-01-01" && t.Date <= "2016-06-30") ++inside;
    }
    FUZZ_CHECK(some.size() == inside, "date filter kept " + std::to_string(some.size()));
    return 0;
}
