#pragma once
// A quantity of a station across the year: days of the year along the
// bottom, the 10-90 and 25-75 percentile bands and the median of its
// climatology, the launches of one year as dots and the launch on show as a
// large marker. Where there is no climatology to draw, a notice stands in
// the plot instead of the bands.

#include <QImage>
#include <QSize>
#include <QWidget>

#include <string>
#include <vector>

class QCPGraph;
class QCPItemText;
class QCustomPlot;

struct TClimateYear {
    // Per day of the year 1..365; NaN where the day has no percentiles.
    std::vector<double> P10, P25, P50, P75, P90;
    // The launches of the year on show: their day of the year and value.
    std::vector<double> DotDay, DotValue;
    // The launch on show; NaN when it has no value.
    double CurrentDay = 0, CurrentValue = 0;
    std::string ValueTitle;  // "Precipitable water (mm)"
    std::string Notice;      // drawn instead of the bands when not empty
};

class TClimatePlot : public QWidget {
public:
    explicit TClimatePlot(QWidget* Parent = nullptr);

    void SetYear(const TClimateYear& Year);
    // True when the last year shown drew bands (no notice, some days with
    // percentiles).
    bool BandsShown() const { return bandsShown_; }
    // The notice drawn in the plot ("" when none).
    std::string Notice() const;

    QImage RenderToImage(QSize Size);

private:
    QCustomPlot* plot_;
    std::vector<QCPGraph*> band_;  // p10, p90, p25, p75, p50
    QCPGraph* dots_;
    QCPGraph* current_;
    QCPItemText* notice_;
    bool bandsShown_ = false;
};
