#pragma once
// A line series of (X, Y) points. The points live here; the plot gets a copy
// of all of them at once when the chart next redraws.

#include "components/jtComponent.h"
#include "sounding/PlotSeries.h"

#include <QObject>

#include <string>
#include <vector>

class QCPCurve;
class TChart;

enum class TChartXOrder {
    Ascending,  // each new point is inserted after the points with X <= its X
    None,       // points stay in the order they are added
};

class TLineSeries : public QObject, public TPlotSeries {
    Q_OBJECT
public:
    // Deleting a series takes it out of its chart's list.
    ~TLineSeries() override;

    TChart* ParentChart() const { return chart_; }

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& V);
    // $00bbggrr; the line and its point markers take it.
    TColor Color() const { return color_; }
    void SetColor(TColor V);
    // Shown (true) or hidden.
    bool Active() const { return active_; }
    void SetActive(bool V);
    // Rectangle markers on the points.
    bool PointerVisible() const { return pointerVisible_; }
    void SetPointerVisible(bool V);
    // A small label with its Y value beside each point.
    bool MarksVisible() const { return marksVisible_; }
    void SetMarksVisible(bool V);
    // Switching to ascending sorts the points already there (stably).
    TChartXOrder XOrder() const { return xOrder_; }
    void SetXOrder(TChartXOrder V);

    // TPlotSeries
    void Clear() override;
    void SetXOrderNone() override { SetXOrder(TChartXOrder::None); }
    void AddXY(double X, double Y) override;

    int Count() const { return int(x_.size()); }
    // Index outside 0 .. Count()-1: EChartException.
    double XValue(int Index) const;
    double YValue(int Index) const;
    // Changes the X of point Index in place; the point keeps its index even
    // in an ascending series.
    void SetXValue(int Index, double V);


private:
    friend class TChart;
    TLineSeries(TChart& Chart, QCPCurve* Curve, TColor Color);
    void ApplyStyle();
    void CheckIndex(int Index) const;
    void Changed();
    // Hands the points to the plot when they changed since the last time.
    void SyncData();

    TChart* chart_;
    QCPCurve* curve_;
    std::string title_;
    TColor color_;
    bool active_ = true;
    bool pointerVisible_ = false;
    bool marksVisible_ = false;
    TChartXOrder xOrder_ = TChartXOrder::Ascending;
    std::vector<double> x_;
    std::vector<double> y_;
    bool dataDirty_ = true;
};
