#pragma once
// The point read-out: which drawn point lies under the mouse, and the text
// that tells what it is (its series, its value and its altitude).

#include <QPointF>

#include <optional>
#include <string>
#include <vector>

class TChart;

// One drawn point: its series (index in the chart), its index in the
// series, and where it lies in the plot's pixels.
struct TPixelPoint {
    int Series = -1;
    int Index = -1;
    QPointF At;
};

// The point of Points nearest to Mouse, when it lies within Radius pixels;
// of points equally near, the first in the list.
std::optional<TPixelPoint> NearestPoint(const std::vector<TPixelPoint>& Points, QPointF Mouse, double Radius);

// The points of the chart's shown series where the plot draws them, inside
// its axes; front-most series first (the drawing order reversed, the trail
// last). The plot must have been laid out (drawn once).
std::vector<TPixelPoint> ShownPoints(TChart& Chart);

// The name the read-out gives a series: its title, or for the reference and
// extra series (which carry none) the name of their check box.
std::string ReadoutName(TChart& Chart, int Series);

// "Temperature: -12.5 C at 1500 m" for point Index of a series; the extra
// series give their own unit ("Windspeed: 7 m/s at 300 m") or none ("Wind
// Direction / 10: 27 at 300 m").
std::string ReadoutText(TChart& Chart, int Series, int Index);

// The read-out for the mouse at Mouse (plot pixels): empty when no shown
// point lies within Radius pixels.
std::string ReadoutAt(TChart& Chart, QPointF Mouse, double Radius = 5);

namespace app {

// The read-out as a tool tip that follows the mouse over the chart.
class TPointTips {
public:
    explicit TPointTips(TChart& Chart);
    ~TPointTips();

    // The read-out for the mouse at Pos, in the chart's plot pixels; empty
    // when no shown point lies near it.
    std::string TextAt(QPointF Pos) const;

private:
    TChart& chart_;
};

}  // namespace app
