#pragma once
// The time-height section of a page as a colour map: temperature over
// (launch time, height) on a perceptually uniform, colour-blind-safe scale
// with a colour bar in C, heights in km, a heading with the station and the
// period, dates at month (or year) starts, the freezing level and the
// tropopause drawn over it as lines, the ground under each launch filled in
// and cells without data hatched, a legend beside the map, and a vertical
// marker at one column. The marker lives on a layer of its own, so moving it
// redraws that layer only.

#include "analysis/TimeHeightSection.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include <functional>
#include <string>

class QCPColorMap;
class QCPColorScale;
class QCPGraph;
class QCPItemStraightLine;
class QCPLayer;
class QCPTextElement;
class QCustomPlot;
class QMouseEvent;

class TColourSection : public QWidget {
    Q_OBJECT
public:
    explicit TColourSection(QWidget* Parent = nullptr);
    ~TColourSection() override;

    // The smallest picture whose labels, ticks and legend do not collide.
    static constexpr int MinimumWidth = 560;
    static constexpr int MinimumHeight = 320;

    // Shows a grid (kept as a copy) under a heading (SectionHeading gives
    // one); a grid without columns shows empty axes.
    void SetSection(const TTimeHeightSection& Section, const std::string& Heading = "");
    const TTimeHeightSection& Section() const { return section_; }
    std::string Heading() const;

    // The temperatures at the two ends of the colour scale, in C.
    double TemperatureMin() const { return temperatureMin_; }
    double TemperatureMax() const { return temperatureMax_; }
    void SetTemperatureRange(double Min, double Max);

    // The cells as anomalies (K from the day's median): a diverging scale,
    // blue below, white at 0, red above, from -Limit to +Limit, the colour
    // bar in K and the hatching also for cells without a climatology. Off,
    // the temperature scale as before.
    void SetAnomaly(bool On, double Limit = 10);
    bool Anomaly() const { return anomaly_; }
    // The colour the scale gives a cell value.
    QColor ColourOf(double Value) const;

    // The column under the marker; -1 hides it. Out-of-range columns hide it too.
    int MarkerColumn() const { return markerColumn_; }
    void SetMarkerColumn(int Column);

    // The column under a point of this widget; -1 outside the map.
    int ColumnAt(QPoint Pos) const;

    // The one mapping of the map's pixels to its columns that the cells, the
    // hatching, the read-out, the clicks and the marker all follow: pixel
    // Pixel (0 at the map's left edge) of a map Pixels wide shows the column
    // its centre lies in (the date ticks stand at the same places: column C
    // spans -0.5 + C .. 0.5 + C on the axis). -1 for an empty map.
    static int ColumnOfPixel(int Pixel, int Columns, int Pixels);
    // The pixel the marker of Column stands on: the middle one of the
    // column's pixels, or the nearest pixel when the column has none.
    static int PixelOfColumn(int Column, int Columns, int Pixels);
    // The height under a point of this widget, in m (meaningful inside the map).
    double HeightAt(QPoint Pos) const;

    // A left click in the map: the column clicked (Section().SoundingOf gives
    // its sounding, -1 for a column without a launch). Skipped when empty.
    std::function<void(int Column)> OnColumnClick;
    // The mouse moved over the map: "title, height m, temperature C". Skipped
    // when empty.
    std::function<void(const std::string& Text)> OnHover;

    // The picture at the given size, also without a display.
    QImage RenderToImage(QSize Size);

    // Draws the whole picture now (the marker alone is redrawn by
    // SetMarkerColumn).
    void Redraw();
    // The point of this widget that shows Column at Height (m).
    QPoint PointOf(double Column, double Height) const;
    // The widget that receives the mouse (for synthesized events).
    QWidget* MouseSurface() const;

    // The date ticks for a map Pixels wide: their columns (fractional: a
    // month starts inside a column) and labels. Month starts ("Jan 2016",
    // "Feb", ...) for short periods, every 2, 3 or 6 months as room demands,
    // years (every 1, 2, 5, 10, ... years) for long archives; days for a
    // period within a month or two. Columns that do not follow the clock get
    // the dates of a few evenly spread columns.
    static void DateTicks(const TTimeHeightSection& Section, int Pixels, std::vector<double>& Columns,
                          std::vector<std::string>& Labels);

private:
    // The heading above the map and the legend (lines, then areas) centred below it.
    void LayOutLegend();
    void MousePress(QMouseEvent* Event);
    void MouseMove(QMouseEvent* Event);
    void PlaceMarker();
    void LaidOut();
    void FillMap();

    QCustomPlot* plot_;
    QCPColorMap* map_;
    QCPColorScale* scale_;
    QCPTextElement* heading_;
    QCPGraph* ground_;
    QCPGraph* freezing_;
    QCPGraph* tropopause_;
    QCPGraph* noData_;
    QCPItemStraightLine* marker_;
    QCPLayer* markerLayer_;
    TTimeHeightSection section_;
    QSize mapPixels_;  // the pixel grid the map was last filled for
    double temperatureMin_ = -80;
    double temperatureMax_ = 40;
    int markerColumn_ = -1;
    bool anomaly_ = false;
};
