#pragma once
// The station files the benchmarks read: the real IGRA v2 station file of
// data/ and an 80-year station file generated from it.

#include "sounding/Archive.h"

#include <chrono>
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

// 60,000 launches, two a day from 1940 on, made of the real launches in
// turn, each cut to its first 62 % of levels as older launches are shorter:
// about 400 MB. Written once into the temporary folder.
inline std::string EightyYearFile()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "profilora_igra_80_years.txt";
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > (std::uintmax_t(300) << 20)) return path.string();

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
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    using namespace std::chrono;
    const sys_days start = year(1940) / January / 1;
    std::string header;
    for (int i = 0; i < 60000; ++i) {
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
        std::fwrite(header.data(), 1, header.size(), out);
        for (std::size_t k = 1; k <= levels && k < launch.size(); ++k) {
            std::fwrite(launch[k].data(), 1, launch[k].size(), out);
            std::fputc('\n', out);
        }
    }
    std::fclose(out);
    return path.string();
}

}  // namespace synthetic_station
