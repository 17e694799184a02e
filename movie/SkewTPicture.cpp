#include "movie/SkewTPicture.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtINI_File.h"

#include <algorithm>

static_assert(SkewTFrameWidth == chart::SkewTWidth && SkewTFrameHeight == chart::SkewTHeight,
              "the exporter's skew-T size is the diagram's own");

namespace movie {

void ApplySkewTSettings(TjtINI_File& Ini, const TChart& Chart, chart::TSkewT& Diagram)
{
    const double bottom = double(Ini.ReadFloat(SkewTSection, "PressureBottom", chart::SkewTPressureBottom));
    const double top = double(Ini.ReadFloat(SkewTSection, "PressureTop", chart::SkewTPressureTop));
    if (!Diagram.SetPressureRange(bottom, top))
        Diagram.SetPressureRange(chart::SkewTPressureBottom, chart::SkewTPressureTop);
    const TLineSeries* temperature = Chart.Series(TemperatureSlot);
    const TLineSeries* dewPoint = Chart.Series(FirstExtraSlot);
    Diagram.SetColours(temperature ? ToQColor(temperature->Color()) : QColor(Qt::red),
                       dewPoint ? ToQColor(dewPoint->Color()) : QColor(0, 128, 0));
}

TSkewTPictures::TSkewTPictures(TjtINI_File& Ini, const TChart& Chart, const TLapseRates& Rates) : rates_(Rates)
{
    // Hundreds of frames in 256 colours: plain lines draw faster and keep
    // the palette small.
    diagram_.SetSmooth(false);
    ApplySkewTSettings(Ini, Chart, diagram_);
}

QImage TSkewTPictures::RenderFrame(int K, QSize Size)
{
    if (Size != diagram_.size()) diagram_.resize(Size);
    const int count = rates_.Count();
    if (count < 1)
        diagram_.ShowSounding(nullptr);
    else
        diagram_.ShowSounding(&rates_.Soundings[std::size_t(std::clamp(K, 0, count - 1))]);
    return diagram_.RenderToImage(Size);
}

}  // namespace movie
