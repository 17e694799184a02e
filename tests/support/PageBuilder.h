#pragma once
// Sounding pages built in code, in the layout of the station pages: the
// pieces (cells, rows, tables, the page around them) and whole pages of
// made-up soundings.

#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

inline std::string Cell(std::string_view Value) { return "<TD align='center'>" + std::string(Value) + "</TD>"; }

// A data row: the label cell, then the given value cells.
inline std::string Row(std::string_view Label, const std::vector<std::string>& Values)
{
    std::string row = "<TR>" + Cell(Label);
    for (const std::string& v : Values) row += Cell(v);
    return row + "</TR>\n";
}

inline std::string ColumnHead()
{
    return "<TR>" + Cell("launch") + Cell("pressure_mb") + Cell("height_m") + Cell("temp_C") + Cell("dpdiff_C") +
           Cell("wdir_deg") + Cell("wspd_ms") + "</TR>\n";
}

inline std::string Table(const std::string& Rows)
{
    return "<table border='1' cellpadding='2'>\n" + ColumnHead() + Rows + "</table>\n";
}

inline std::string Page(const std::string& Body)
{
    return "<html><head><title>Soundings</title></head><body>\n<p>Station</p>\n"
           "<!-- end: NCDC PAGE HEADER -->\n" +
           Body + "\n<!-- begin: NCDC PAGE FOOTER -->\n<p>End of data.</p></body></html>\n";
}

// A number as a stream writes it: "20", "13.5", "-1.25".
inline std::string Number(double V)
{
    std::ostringstream text;
    text << V;
    return text.str();
}

// Temperature of level L of sounding S.
using TemperatureOf = std::function<double(int S, int L)>;

inline double DefaultTemperature(int S, int L) { return 20 - 6.5 * L - S; }

// A page of Soundings tables titled "S<i>", LevelsEach levels each; level L
// of sounding S lies at 1000 - 100 L hPa and 100 + 1000 L + S m (100 + 1000 L
// with SameHeights), its dew point difference is 2 + L, wind direction
// 90 + 10 L, wind speed 5 + L.
inline std::string MakePage(int Soundings, int LevelsEach = 3, const TemperatureOf& T = DefaultTemperature,
                            bool SameHeights = false)
{
    std::string body;
    for (int s = 0; s < Soundings; ++s) {
        std::string rows;
        for (int l = 0; l < LevelsEach; ++l)
            rows += Row("S" + std::to_string(s),
                        {std::to_string(1000 - 100 * l), std::to_string(100 + 1000 * l + (SameHeights ? 0 : s)),
                         Number(T(s, l)), std::to_string(2 + l), std::to_string(90 + 10 * l), std::to_string(5 + l)});
        body += Table(rows);
    }
    return Page(body);
}

// Three launches titled "launch <k>" from 1000 to 30000 m every 1000 m, at
// 1000 - h / 40 hPa; launch k is a vertical temperature line at -60 + 30 k
// with dew point difference 10 + DewPointStep k, the wind 270 at 12.
inline std::string ThreeLaunches(int DewPointStep)
{
    std::string body;
    for (int k = 0; k < 3; ++k) {
        std::string rows;
        for (int h = 1000; h <= 30000; h += 1000)
            rows += Row("launch " + std::to_string(k),
                        {std::to_string(1000 - h / 40), std::to_string(h), std::to_string(-60 + 30 * k),
                         std::to_string(10 + DewPointStep * k), "270", "12"});
        body += Table(rows);
    }
    return Page(body);
}

}  // namespace pages
