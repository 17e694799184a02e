#pragma once
// The chart's looks: fonts given as name, pixel height and style, the colours
// a new series takes, and the conversions of the chart's 8-bit texts.

#include "components/jtComponent.h"

#include <QFont>
#include <QString>

#include <string>

// Font styles, combined as bits.
enum TFontStyle : unsigned {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// A font by name, height, colour and style. A negative Height is the
// character height in pixels (-13: 13 pixels high); a positive one is the
// cell height, which we also treat as a pixel size.
struct TChartFont {
    std::string Name = "Arial";
    int Height = -11;
    TColor Color = clBlack;
    unsigned Style = 0;
    bool operator==(const TChartFont&) const = default;
};

namespace chartstyle {

// The toolkit font of a chart font (its colour is applied separately).
QFont ToQFont(const TChartFont& Font);

// The colour a new series takes, by the index it gets in the chart's series
// list. A fixed palette of plain, well separated colours, cycled: red, green,
// blue, teal, fuchsia, olive, navy, maroon, purple, gray, lime, aqua.
TColor DefaultSeriesColor(int Index);

// The chart's texts are 8-bit; every byte is one character (Latin-1), so no
// text ever fails to convert.
inline QString ToQString(const std::string& Text)
{
    return QString::fromLatin1(Text.data(), qsizetype(Text.size()));
}

// The text of a value mark: the value rounded to three decimals, without
// trailing zeros ("15", "-56.5", "0.125").
std::string MarkText(double Value);

}  // namespace chartstyle
