#pragma once
// The station files the benchmarks read: the real IGRA v2 station file of
// data/ and 30- and 80-year station files generated from it.

#include "sounding/Archive.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace synthetic_station {

inline const std::string kData = PROFILORA_DATA_DIR;

inline std::string ReadBytes(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text of the real station file (7.0 MB, 662 launches).
inline const std::string& StationText()
{
    static const std::string text = [] {
        std::string out;
        InflateZip(ReadBytes(kData + "/USM00072403-data-beg2016.txt.zip"), {},
                   [&](std::string_view Piece) { out.append(Piece); });
        return out;
    }();
    return text;
}

// 750 launches a year, two a day from 1940 on, made of the real launches in
// turn, each cut to its first 62 % of levels as older launches are shorter:
// about 5 MB a year (80 years about 400 MB), handed to Sink line by line.
template <typename Sink>
void MakeYears(int Years, Sink&& Write)
{
    std::vector<std::vector<std::string_view>> launches;  // header and levels
    std::string_view text = StationText();
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.empty()) continue;
        if (line[0] == '#') launches.emplace_back();
        if (!launches.empty()) launches.back().push_back(line);
    }
    using namespace std::chrono;
    const sys_days start = year(1940) / January / 1;
    std::string header;
    for (int i = 0; i < Years * 750; ++i) {
        const auto& launch = launches[std::size_t(i) % launches.size()];
        const std::size_t levels = (launch.size() - 1) * 62 / 100 + 1;
        const year_month_day day{start + days(i / 2)};
        header.assign(launch[0]);
        char when[32];
        std::snprintf(when, sizeof when, "%04d %02u %02u %02d", int(day.year()), unsigned(day.month()),
                      unsigned(day.day()), i % 2 * 12);
        header.replace(13, 13, when);
        char count[24];
        std::snprintf(count, sizeof count, "%4zu", levels);
        header.replace(32, 4, count);
        header += '\n';
        Write(std::string_view(header));
        for (std::size_t k = 1; k <= levels && k < launch.size(); ++k) {
            Write(launch[k]);
            Write(std::string_view("\n"));
        }
    }
}

// FNV-1a over pieces of text.
struct TFingerprint {
    std::uint64_t Hash = 1469598103934665603ull;
    std::uint64_t Size = 0;
    void operator()(std::string_view Piece)
    {
        for (const char c : Piece) Hash = (Hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        Size += Piece.size();
    }
    bool operator==(const TFingerprint&) const = default;
};

template <typename Sink>
void MakeEightyYears(Sink&& Write)
{
    MakeYears(80, Write);
}

// The file of Years years in the temporary folder
// (profilora_igra_<Years>_years.txt), written anew whenever its contents
// (not only its size) differ from what MakeYears makes.
inline std::string YearsFile(int Years)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("profilora_igra_" + std::to_string(Years) + "_years.txt");
    static std::vector<int> checked;
    if (std::find(checked.begin(), checked.end(), Years) != checked.end()) return path.string();
    checked.push_back(Years);
    TFingerprint expected;
    MakeYears(Years, expected);
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == expected.Size && !ec) {
        TFingerprint found;
        std::ifstream in(path, std::ios::binary);
        std::string piece(std::size_t(1) << 20, '\0');
        while (in.read(piece.data(), std::streamsize(piece.size())) || in.gcount() > 0)
            found(std::string_view(piece.data(), std::size_t(in.gcount())));
        if (found == expected) return path.string();
    }
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    MakeYears(Years, [out](std::string_view Piece) { std::fwrite(Piece.data(), 1, Piece.size(), out); });
    std::fclose(out);
    return path.string();
}

inline std::string EightyYearFile() { return YearsFile(80); }
inline std::string ThirtyYearFile() { return YearsFile(30); }

}  // namespace synthetic_station
