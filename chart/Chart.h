#pragma once
// The line-chart control: a title, a bottom (X) and a left (Y) axis with
// fixed or automatic ranges, a legend, a back wall and an ordered list of
// line series. It is a thin layer over QCustomPlot: the series buffer their
// points, and every change only marks the chart dirty; one queued replot per
// event-loop turn hands each changed series' points to the plot at once.

#include "chart/ChartStyle.h"
#include "chart/ClimateBand.h"
#include "components/jtComponent.h"
#include "components/jtSysUtils.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QCPAxis;
class QCPGraph;
class QMouseEvent;
class QCPTextElement;
class QCustomPlot;
class TChart;
class TChartPanel;
class TLineSeries;
class TValueMarks;

// A refused chart setting (an axis range that would be reversed).
class EChartException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ChartException"; }
};

// The chart's title: lines of text in one font, centred above the plot.
class TChartTitle {
public:
    const std::vector<std::string>& Text() const { return text_; }
    void SetText(const std::vector<std::string>& V);
    const TChartFont& Font() const { return font_; }
    void SetFont(const TChartFont& V);
    bool Visible() const { return visible_; }
    void SetVisible(bool V);

private:
    friend class TChart;
    explicit TChartTitle(TChart& Chart) : chart_(Chart) {}
    TChart& chart_;
    std::vector<std::string> text_;
    TChartFont font_{"Arial", -13, clBlack, 0};
    bool visible_ = true;
};

// One axis. With Automatic on, the range follows the points of the active
// series at each redraw; with it off, Minimum and Maximum stay as set.
class TChartAxis {
public:
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool V);

    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    // Refused (EChartException "Axis Minimum Value must be <= Maximum") when
    // V lies above the current maximum or is not a finite number.
    void SetMinimum(double V);
    // Refused ("Axis Maximum Value must be >= Minimum") when V lies below the
    // current minimum or is not a finite number.
    void SetMaximum(double V);
    // A whole new range at once, so that it does not matter where the old
    // range lay: accepted whenever Min <= Max, otherwise refused with the
    // minimum's message and nothing changes.
    void SetMinMax(double Min, double Max);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& V);

private:
    friend class TChart;
    TChartAxis(TChart& Chart, QCPAxis* Axis) : chart_(Chart), axis_(Axis) {}
    // The range computed for an automatic axis (no refusal: it comes from
    // the data).
    void SetAutomaticRange(double Min, double Max);
    TChart& chart_;
    QCPAxis* axis_;
    bool automatic_ = true;
    double minimum_ = 0;
    double maximum_ = 0;
    std::string title_;
};

class TChartLegend {
public:
    bool Visible() const { return visible_; }
    void SetVisible(bool V);

private:
    friend class TChart;
    explicit TChartLegend(TChart& Chart) : chart_(Chart) {}
    TChart& chart_;
    bool visible_ = true;
};

// The area behind the series, inside the axes. With a clear brush it is not
// filled and the chart's own colour shows through.
class TChartWall {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor V);
    bool BrushClear() const { return brushClear_; }
    void SetBrushClear(bool V);

private:
    friend class TChart;
    explicit TChartWall(TChart& Chart) : chart_(Chart) {}
    TChart& chart_;
    TColor color_ = clWhite;
    bool brushClear_ = false;
};

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* Parent = nullptr);
    ~TChart() override;

    TChartTitle& Title() { return title_; }
    TChartAxis& BottomAxis() { return bottomAxis_; }
    TChartAxis& LeftAxis() { return leftAxis_; }
    TChartLegend& Legend() { return legend_; }
    TChartWall& BackWall() { return backWall_; }

    // The panel colour around (and, with a clear back wall, behind) the plot.
    TColor Color() const { return color_; }
    void SetColor(TColor V);
    // Stored and read back for the settings that name it; the chart is
    // always drawn flat.
    bool View3D() const { return view3D_; }
    void SetView3D(bool V) { view3D_ = V; }

    // The series, addressed by their 0-based index in creation order.
    int SeriesCount() const { return int(series_.size()); }
    TLineSeries* Series(int Index) const;
    int IndexOf(const TLineSeries* S) const { return int(series_.indexOf(const_cast<TLineSeries*>(S))); }
    // A new, empty line series owned by the chart and appended to its list.
    TLineSeries* AddLineSeries();

    // Something shown has changed: redraw once when the event loop next
    // runs, however many changes come before.
    void Invalidate();
    // Redraw at once.
    void Repaint();
    // True while a change waits for the queued redraw.
    bool Dirty() const { return dirty_; }
    // How many times the chart has drawn its picture (for the window or for
    // an image) since it was made.
    int RedrawCount() const { return redraws_; }
    // The (X, Y) points S was drawn with at the last redraw, in the order
    // its line joins them; none before its first redraw or when S is not a
    // series of this chart.
    std::vector<std::pair<double, double>> DrawnPoints(const TLineSeries& S) const;

    // Exactly what the widget shows (or would show at that size), drawn into
    // an image of Size in device-independent pixels.
    QImage RenderToImage(QSize Size);

    // Where the point (X, Y) in axis values is drawn, in the chart's pixels
    // (not finite for a value the axes cannot place), and the area inside
    // the axes, as of the last redraw.
    QPointF ValueToPixel(double X, double Y) const;
    QRectF PlotArea() const;

    // Draws S on a layer of its own below the one the other series are
    // drawn on, so that it stays behind them whatever its place in the list.
    void PlaceBehindOtherSeries(TLineSeries& S);
    bool BehindOtherSeries(const TLineSeries& S) const;

    // The climatology of the profile's quantity shaded behind every series:
    // the 10-90 and 25-75 percentile bands light, the median dashed, none of
    // it in the legend or the automatic ranges. An empty band hides them;
    // until a band is first shown the chart holds nothing of it.
    void SetClimateBand(const TClimateBand& Band);
    bool ClimateBandShown() const;

    // The mouse moved over the chart (position in the chart's pixels); the
    // user asked for a context menu (at a global position). Skipped when
    // empty.
    std::function<void(QMouseEvent* Event)> OnMouseMove;
    std::function<void(QPoint Global)> OnContextMenu;
    // The widget that receives the mouse: it covers the whole chart.
    QWidget* MouseSurface() const;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    friend class TLineSeries;
    friend class TChartTitle;
    friend class TChartAxis;
    friend class TChartLegend;
    friend class TChartWall;
    friend class TValueMarks;
    void Detach(TLineSeries* S);
    // Brings the plot up to date: geometry, title, automatic axis ranges and
    // the points of the series that changed.
    void Sync();
    // Gives the plot the chart's size (see the .cpp why).
    void SyncGeometry();
    void SetPlotSize(QSize Size);
    void ApplyAxisRange(TChartAxis& A);
    void ApplyTitle();
    void FlushQueued();
    const QList<TLineSeries*>& AllSeries() const { return series_; }

    QCustomPlot* plot_;
    TChartPanel* panel_ = nullptr;
    QCPTextElement* titleElement_;
    TValueMarks* marks_;
    TChartTitle title_;
    TChartAxis bottomAxis_;
    TChartAxis leftAxis_;
    TChartLegend legend_;
    TChartWall backWall_;
    TColor color_ = clBtnFace;
    bool view3D_ = true;
    QList<TLineSeries*> series_;
    bool dirty_ = false;
    bool queued_ = false;
    bool titleShown_ = false;
    bool syncing_ = false;
    // The size the plot last drew its picture at (empty: not drawn yet).
    QSize drawnSize_;
    int redraws_ = 0;
    // The climate band: outer edges, inner edges, median (ChartBand.cpp).
    std::vector<QCPGraph*> band_;
};
