#pragma once
// Builds sounding pages in the layout of the station pages.

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

}  // namespace pages
