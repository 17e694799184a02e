#pragma once
// The values a University of Wyoming "Text: List" page prints beside its
// levels, read for tests: each level's derived columns (mixing ratio,
// potential temperatures) and the block "Station information and sounding
// indices" after each sounding. Keyed by the title the Wyoming reader gives
// the sounding ("94610 2016-01-01 00Z").

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace wyoming {

// A level row; a blank column is NaN.
struct TRow {
    double Pressure, Height, Temperature, DewPoint, MixingRatio, Theta, ThetaE, ThetaV;
};

struct TLaunch {
    std::vector<TRow> Rows;
    std::map<std::string, double> Indices;  // by the page's wording, e.g. "K index"
};

inline double Column(const std::string& Line, std::size_t End)
{
    const std::size_t begin = End >= 7 ? End - 7 : 0;
    if (Line.size() < End) return std::nan("");
    const std::string field = Line.substr(begin, End - begin);
    char* stop = nullptr;
    const double v = std::strtod(field.c_str(), &stop);
    return stop == field.c_str() ? std::nan("") : v;
}

inline std::map<std::string, TLaunch> ReadLaunches(const std::string& Page)
{
    std::map<std::string, TLaunch> out;
    std::istringstream in(Page);
    std::string line;
    TLaunch current;
    bool inIndices = false;
    std::string station, time;
    auto finish = [&] {
        if (station.size() && time.size() == 11) {
            const std::string title = station + " 20" + time.substr(0, 2) + "-" + time.substr(2, 2) + "-" +
                                      time.substr(4, 2) + " " + time.substr(7, 2) + "Z";
            out[title] = current;
        }
        current = {};
        station.clear();
        time.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("<H2>", 0) == 0) {
            inIndices = false;
            continue;
        }
        if (line.find("Station information and sounding indices") != std::string::npos) {
            inIndices = true;
            continue;
        }
        if (inIndices) {
            if (line.rfind("</PRE>", 0) == 0) {
                finish();
                inIndices = false;
                continue;
            }
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            const std::string name = line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '));
            const std::string value = line.substr(colon + 2);
            if (name == "Station number")
                station = value;
            else if (name == "Observation time")
                time = value;
            else
                current.Indices[name] = std::atof(value.c_str());
            continue;
        }
        // A level row: seven-character columns, the pressure first.
        if (line.size() >= 7 && line[0] == ' ' && line.find_first_not_of(" .0123456789-") == std::string::npos) {
            current.Rows.push_back({Column(line, 7), Column(line, 14), Column(line, 21), Column(line, 28),
                                    Column(line, 42), Column(line, 63), Column(line, 70), Column(line, 77)});
        }
    }
    return out;
}

}  // namespace wyoming
