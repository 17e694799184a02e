#pragma once
// What the sounding records need of a chart series. The chart engine
// implements it; the records never see the chart itself.

class TPlotSeries {
public:
    virtual ~TPlotSeries() = default;
    // Remove all points.
    virtual void Clear() = 0;
    // Keep points in the order they are added instead of sorting them by X.
    virtual void SetXOrderNone() = 0;
    // Append a point with no label in the series' own colour.
    virtual void AddXY(double X, double Y) = 0;
};
