#include "chart/ChartStyle.h"

#include "components/jtSysUtils.h"

#include <cmath>
#include <iterator>

namespace chartstyle {

QFont ToQFont(const TChartFont& Font)
{
    QFont F(ToQString(Font.Name));
    const int Pixels = std::abs(Font.Height);
    F.setPixelSize(Pixels > 0 ? Pixels : 11);
    F.setBold(Font.Style & fsBold);
    F.setItalic(Font.Style & fsItalic);
    F.setUnderline(Font.Style & fsUnderline);
    F.setStrikeOut(Font.Style & fsStrikeOut);
    return F;
}

TColor DefaultSeriesColor(int Index)
{
    static constexpr TColor Palette[] = {
        0x0000FF,  // red
        0x008000,  // green
        0xFF0000,  // blue
        0x808000,  // teal
        0xFF00FF,  // fuchsia
        0x008080,  // olive
        0x800000,  // navy
        0x000080,  // maroon
        0x800080,  // purple
        0x808080,  // gray
        0x00FF00,  // lime
        0xFFFF00,  // aqua
    };
    constexpr int N = int(std::size(Palette));
    return Palette[((Index % N) + N) % N];
}

std::string MarkText(double Value)
{
    if (!std::isfinite(Value))
        return jt::FloatToText(Value);
    // Large values have no decimals worth rounding (and would overflow).
    double Rounded = std::abs(Value) < 1e15 ? std::round(Value * 1000.0) / 1000.0 : Value;
    if (Rounded == 0)
        Rounded = 0;  // no "-0"
    return jt::FormatGeneral(Rounded, 15, jt::DecimalSeparator());
}

}  // namespace chartstyle
