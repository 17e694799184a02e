#pragma once
// The chart the window shows, built without the window: its looks, its
// settings (axis ranges and the reference and extra series read from the
// first settings component), and the drawing of one frame. The window and
// the exporter both build their chart from here, so that an exported frame
// is the very picture the window shows for it.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "sounding/FrameChoice.h"
#include "sounding/LapseRates.h"

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

class TjtINI_File;

// The built-in default text of the first settings component: axis ranges,
// reference profiles and series colours.
std::vector<std::string> ProfileDefaults();
// The built-in default text of the second settings component: start page,
// frame interval and the catalogue of pages.
std::vector<std::string> CatalogueDefaults();

// The window's chart as it starts: its title, axes, colours and fonts, with
// series 0 ("Temperature") as its only series. Expects a chart without series.
void SetupChart1(TChart& Chart);

// The axis ranges from the sections "Temperature" and "Altitude" (keys min
// and max). Each axis gets its whole range at once, so any range with
// min <= max is accepted wherever the range before it lay; a reversed one is
// refused by the chart.
void ApplyAxisRanges(TjtINI_File& Ini, TChart& Chart);

// A new hidden series appended to the chart from one profile section: every
// key but "color" is a point (altitude = the key as a whole number,
// temperature = its value as a number, 0 when it is none), in key order and
// kept in that order; "color" (exactly so, lower case) gives the colour. A
// missing section still yields its (empty) series, so later slots never
// shift. A key or colour that is not a whole number raises EConvertError.
TLineSeries* ReadProfile(TjtINI_File& Ini, TChart& Chart, const std::string& Section);

// What the window does with the first settings component once it is read:
// the axis ranges, then series 1 to 4 (reference profiles) and 5 to 7 (extra
// quantities, no points yet).
void ReadChartSettings(TjtINI_File& Ini, TChart& Chart);

// Shows and hides series 1 to 7 and switches series 0's markers as Choice
// says. Slots the chart does not have are skipped.
void ApplySeriesChoice(TChart& Chart, const TSeriesChoice& Choice);

// Makes To a copy of From: title, axes, legend, wall, colours and every
// series with its points and styles; From is only read. To must have no
// series yet. A hidden copy lets a frame be drawn at any size without
// touching the chart on show.
void CopyChart(TChart& From, TChart& To);

// Pictures of a page's frames, one per sounding, as the exporter writes them.
class TFramePictures {
public:
    virtual ~TFramePictures() = default;
    virtual int FrameCount() const = 0;
    // Frame K (clamped into the page) drawn at Size.
    virtual QImage RenderFrame(int K, QSize Size) = 0;
};

// Draws frames of a page on a chart that is set up as the window's (series 0
// to 7). A frame is what the window shows after its track bar moved to it:
// PlotFrame into series 0, then each shown extra series (5 to 7) gets its
// quantity of the current sounding. The frame cursor of Rates moves as the
// track bar would move it.
class TFrameRenderer : public TFramePictures {
public:
    TFrameRenderer(TChart& Chart, TLapseRates& Rates) : chart_(Chart), rates_(Rates) {}

    TChart& Chart() const { return chart_; }
    TLapseRates& Rates() const { return rates_; }

    // Puts frame K (clamped into the page) into the series.
    void ShowFrame(int K);
    // ShowFrame, then the chart drawn at Size. Cheapest when Size is the
    // chart's own size; any other size is drawn too and leaves the chart as
    // it was shown.
    QImage RenderFrame(int K, QSize Size) override;
    int FrameCount() const override { return rates_.Count(); }

private:
    TChart& chart_;
    TLapseRates& rates_;
};
