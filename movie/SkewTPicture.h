#pragma once
// The skew-T diagram as the window and the exporter set it up: its settings
// (section "Skew-T": PressureBottom and PressureTop in hPa, and the window's
// place), the colours of the altitude chart's series, and its frames for the
// exporter, one per sounding.

#include "chart/SkewT.h"

#include <functional>
#include "sounding/FrameChoice.h"
#include "movie/SoundingChart.h"
#include "sounding/LapseRates.h"

#include <QImage>
#include <QSize>

#include <string>

class TChart;
namespace settings {
class TProgramSettings;
}

namespace movie {

// The pressure range of section "Skew-T" (PressureBottom, PressureTop; the
// default 1050 and 100 hPa for a key that is missing or empty). A value that
// is not a pressure from 1 to 1100 hPa, or a top not above the bottom, raises
// Exception naming the key and the value.
struct TSkewTRange {
    double Bottom = chart::SkewTPressureBottom;
    double Top = chart::SkewTPressureTop;
};
TSkewTRange SkewTPressureRange(const settings::TProgramSettings& Settings);

// Sets Diagram up from the settings: the pressure range of section "Skew-T"
// (a range refused raises Exception) and the temperature and dew point
// colours of Chart (set up as the window's chart).
void ApplySkewTSettings(const settings::TProgramSettings& Settings, const TChart& Chart, chart::TSkewT& Diagram);
// The same for the window: a range refused leaves the default range, and
// the note returned says why (empty when the range was taken).
std::string ApplySkewTSettingsOrDefault(const settings::TProgramSettings& Settings, const TChart& Chart,
                                        chart::TSkewT& Diagram);

// The soundings of a page drawn as skew-T diagrams, with plain (not
// antialiased) lines. Only the diagram's own layer is drawn again from one
// frame to the next at the same size.
class TSkewTPictures : public TFramePictures {
public:
    TSkewTPictures(const settings::TProgramSettings& Settings, const TChart& Chart, const TLapseRates& Rates);

    int FrameCount() const override { return rates_.Count(); }
    QImage RenderFrame(int K, QSize Size) override;
    chart::TSkewT& Diagram() { return diagram_; }
    // Whether a sounding's station lies south of the equator (its barbs are
    // then drawn the southern way); none at first: all northern.
    std::function<bool(const TSounding&)> SouthOf;

private:
    chart::TSkewT diagram_;
    const TLapseRates& rates_;
};

}  // namespace movie
