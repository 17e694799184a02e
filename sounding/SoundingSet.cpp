#include "sounding/SoundingSet.h"

#include "platform/ReplaceFile.h"
#include "sounding/Heights.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr std::size_t kFirstBytes = kFormatBytes;

bool Matches(std::string_view Name, std::string_view Pattern)
{
    // Greedy with one back-track point: enough for * and ?.
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < Name.size()) {
        if (p < Pattern.size() && (Pattern[p] == '?' || Pattern[p] == Name[n])) {
            ++n;
            ++p;
        } else if (p < Pattern.size() && Pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < Pattern.size() && Pattern[p] == '*') ++p;
    return p == Pattern.size();
}

// The surfaces reckoned from far aloft take their station's elevation.
void UseStationElevations(std::vector<TSounding>& Soundings, const sounding::TElevationOf& Elevations)
{
    if (!Elevations) return;
    for (TSounding& s : Soundings) {
        if (!sounding::WantsStationElevation(s)) continue;
        const std::string_view id = sounding::StationOf(s.Launch);
        if (const std::optional<double> elevation = Elevations(id)) sounding::UseStationElevation(s, float(*elevation));
    }
}

}  // namespace

TSoundingSet ReadSoundingFiles(const std::vector<std::string>& Paths, const TSourceLimits& Limits,
                               const sounding::TElevationOf& Elevations)
{
    TSoundingSet set;
    std::vector<std::vector<TSounding>> read;
    read.reserve(Paths.size());
    std::string firstEmpty, firstUnknown;
    std::vector<std::string> empties;
    for (const std::string& path : Paths) {
        TSourceResult one = ReadSoundingFile(path, Limits);
        const std::string name = platform::NameOf(path);
        for (const std::string& warning : one.Warnings) set.Warnings.push_back(name + ": " + warning);
        set.Skipped += one.Skipped;
        if (!one.Ok() && !one.NoData) {
            set = {};
            set.Error = name + ": " + one.Error;
            return set;
        }
        if (one.NoData) {
            const std::string what = name + ": " + one.Error;
            if (firstEmpty.empty()) firstEmpty = what;
            empties.push_back(what);
            if (one.Error == kBadDataFile && firstUnknown.empty()) firstUnknown = what;
            continue;
        }
        if (one.Format != TSourceFormat::Page) UseStationElevations(one.Soundings, Elevations);
        read.push_back(std::move(one.Soundings));
    }
    if (read.empty()) {
        set.Error = firstEmpty.empty() ? "no file given" : firstEmpty;
        set.Unknown = !firstUnknown.empty() && firstUnknown == firstEmpty;
        set.NoData = true;
        return set;
    }
    if (!firstUnknown.empty()) {
        const std::vector<std::string> warnings = std::move(set.Warnings);
        set = {};
        set.Error = firstUnknown;
        set.Unknown = true;
        set.Warnings = warnings;
        return set;
    }
    set.Warnings.insert(set.Warnings.end(), empties.begin(), empties.end());
    if (read.size() == 1)
        set.Soundings = std::move(read.front());
    else
        set.Soundings = MergeSoundings(std::move(read));
    return set;
}

bool IsStationSource(std::string_view FirstBytes)
{
    if (LooksGzip(FirstBytes) || LooksZip(FirstBytes)) return true;
    const TSourceFormat format = SourceFormatOf(FirstBytes.substr(0, kFirstBytes));
    return format == TSourceFormat::Igra || format == TSourceFormat::Wyoming;
}

bool IsStationFile(const std::string& Path)
{
    std::error_code failure;
    if (!std::filesystem::is_regular_file(Path, failure)) return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(Path.c_str(), "rb"), std::fclose);
    if (!file) return false;
    std::string first(kFirstBytes, '\0');
    first.resize(std::fread(first.data(), 1, first.size(), file.get()));
    return IsStationSource(first);
}

bool HasWildcard(std::string_view Name) { return Name.find_first_of("*?") != std::string_view::npos; }

std::vector<std::string> MatchingFiles(const std::string& Directory, const std::string& Pattern)
{
    std::vector<std::string> found;
    std::error_code failure;
    const std::filesystem::path dir = Directory.empty() ? std::filesystem::path(".") : std::filesystem::path(Directory);
    for (std::filesystem::directory_iterator it(dir, failure), end; !failure && it != end; it.increment(failure)) {
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        const std::string name = it->path().filename().string();
        if (Matches(name, Pattern)) found.push_back((dir / name).string());
    }
    std::sort(found.begin(), found.end());
    return found;
}
