#include "movie/SkewTPicture.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/ProgramSettings.h"
#include "components/jtSysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

static_assert(SkewTFrameWidth == chart::SkewTWidth && SkewTFrameHeight == chart::SkewTHeight,
              "the exporter's skew-T size is the diagram's own");

namespace movie {

namespace {

std::string Pressure(double P)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", P);
    return text;
}

void ApplyColours(const TChart& Chart, chart::TSkewT& Diagram)
{
    const TLineSeries* temperature = Chart.Series(TemperatureSlot);
    const TLineSeries* dewPoint = Chart.Series(FirstExtraSlot);
    Diagram.SetColours(temperature ? ToQColor(temperature->Color()) : QColor(Qt::red),
                       dewPoint ? ToQColor(dewPoint->Color()) : QColor(0, 128, 0));
}

}  // namespace

TSkewTRange SkewTPressureRange(const settings::TProgramSettings& Settings)
{
    TSkewTRange range;
    range.Bottom = Settings.SkewTPressure("PressureBottom", range.Bottom);
    range.Top = Settings.SkewTPressure("PressureTop", range.Top);
    if (!(range.Top < range.Bottom))
        throw Exception("[Skew-T] PressureTop must be a lower pressure than PressureBottom (" + Pressure(range.Bottom) +
                        " hPa), not \"" + Pressure(range.Top) + "\"");
    return range;
}

void ApplySkewTSettings(const settings::TProgramSettings& Settings, const TChart& Chart, chart::TSkewT& Diagram)
{
    const TSkewTRange range = SkewTPressureRange(Settings);
    Diagram.SetPressureRange(range.Bottom, range.Top);
    ApplyColours(Chart, Diagram);
}

std::string ApplySkewTSettingsOrDefault(const settings::TProgramSettings& Settings, const TChart& Chart,
                                        chart::TSkewT& Diagram)
{
    std::string note;
    TSkewTRange range;
    try {
        range = SkewTPressureRange(Settings);
    } catch (const Exception& e) {
        range = TSkewTRange{};
        note = e.Message() + "; the diagram shows " + Pressure(range.Bottom) + " to " + Pressure(range.Top) + " hPa.";
    }
    Diagram.SetPressureRange(range.Bottom, range.Top);
    ApplyColours(Chart, Diagram);
    return note;
}

TSkewTPictures::TSkewTPictures(const settings::TProgramSettings& Settings, const TChart& Chart,
                               const TLapseRates& Rates)
    : rates_(Rates)
{
    // Hundreds of frames in 256 colours: plain lines draw faster and keep
    // the palette small.
    diagram_.SetSmooth(false);
    ApplySkewTSettings(Settings, Chart, diagram_);
}

QImage TSkewTPictures::RenderFrame(int K, QSize Size)
{
    if (Size != diagram_.size()) diagram_.resize(Size);
    const int count = rates_.Count();
    if (count < 1) {
        diagram_.ShowSounding(nullptr);
    } else {
        const TSounding& sounding = rates_.Soundings[std::size_t(std::clamp(K, 0, count - 1))];
        diagram_.SetSouthern(SouthOf && SouthOf(sounding));
        diagram_.ShowSounding(&sounding);
    }
    return diagram_.RenderToImage(Size);
}

}  // namespace movie
