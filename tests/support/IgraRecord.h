#pragma once
// IGRA v2 station text made up for the tests: launches with a few levels,
// each at the columns the archive uses.

#include <cstdio>
#include <string>
#include <vector>

namespace igra_record {

struct TLevel {
    int Pressure;     // Pa
    int Height;       // m
    int Temperature;  // tenths of C
    int DewPointDiff = 50;
};

// A header "#USM00072403 YYYY MM DD HH RRRR NNNN ..." and its levels, the
// first one typed as the surface.
inline std::string Launch(int Year, int Month, int Day, int Hour, int Release, const std::vector<TLevel>& Levels)
{
    char line[128];
    std::snprintf(line, sizeof line, "#USM00072403 %04d %02d %02d %02d %04d %4zu ncdc-nws ncdc-nws  389767  -774864\n",
                  Year, Month, Day, Hour, Release, Levels.size());
    std::string text = line;
    bool surface = true;
    for (const TLevel& l : Levels) {
        std::snprintf(line, sizeof line, "%s %5d%7d%c%5d%c%5d%c%5d %5d %5d %5d\n", surface ? "21" : "10", -9999,
                      l.Pressure, ' ', l.Height, ' ', l.Temperature, ' ', -9999, l.DewPointDiff, 180, 50);
        text += line;
        surface = false;
    }
    return text;
}

// Surface T0 (tenths of C) at 0 m, 6 C colder at 1000 m and 30 C colder at
// 5000 m: nothing between 1000 and 5000 m but at 5000 m itself.
inline std::string ThreeLevels(int Year, int Month, int Day, int Hour, int Release, int T0)
{
    return Launch(Year, Month, Day, Hour, Release, {{100000, 0, T0}, {90000, 1000, T0 - 60}, {50000, 5000, T0 - 300}});
}

}  // namespace igra_record
