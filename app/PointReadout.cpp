#include "app/PointReadout.h"

#include "app/Application.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtSysUtils.h"

#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// Slots of the reference and extra series, which have no title of their own.
const char* const SlotNames[] = {nullptr,          "Standard Atmosphere", "DALR",     "ELR", "SALR",
                                 "Dew Point Diff", "Wind Direction / 10", "Windspeed"};

std::string Unit(int Series)
{
    switch (Series) {
    case 6:
        return "";  // wind direction / 10: a plain number
    case 7:
        return " m/s";  // wind speed
    default:
        return " C";  // temperatures and the dew point difference
    }
}

std::string Number(double V) { return jt::FormatGeneral(V, 7, jt::DecimalSeparator()); }

}  // namespace

std::optional<TPixelPoint> NearestPoint(const std::vector<TPixelPoint>& Points, QPointF Mouse, double Radius)
{
    std::optional<TPixelPoint> best;
    double bestDistance = Radius;
    for (const TPixelPoint& p : Points) {
        const double d = std::hypot(p.At.x() - Mouse.x(), p.At.y() - Mouse.y());
        if (d < bestDistance || (!best && d <= bestDistance)) {
            best = p;
            bestDistance = d;
        }
    }
    return best;
}

std::vector<TPixelPoint> ShownPoints(TChart& Chart)
{
    const QRectF area = Chart.PlotArea();

    std::vector<int> order;
    for (int i = 0; i < Chart.SeriesCount(); ++i) order.push_back(i);
    // Later series are drawn over earlier ones; series on another layer (the
    // trail, below) lie behind all of them.
    auto depth = [&](int i) { return Chart.BehindOtherSeries(*Chart.Series(i)) ? 0 : 1; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (depth(a) != depth(b)) return depth(a) > depth(b);
        return a > b;
    });

    std::vector<TPixelPoint> points;
    for (int i : order) {
        const TLineSeries* s = Chart.Series(i);
        if (!s->Active()) continue;
        for (int k = 0; k < s->Count(); ++k) {
            const QPointF at = Chart.ValueToPixel(s->XValue(k), s->YValue(k));
            if (std::isfinite(at.x()) && std::isfinite(at.y()) && area.contains(at)) points.push_back({i, k, at});
        }
    }
    return points;
}

std::string ReadoutName(TChart& Chart, int Series)
{
    const TLineSeries* s = Chart.Series(Series);
    if (s && !s->Title().empty()) return s->Title();
    if (Series > 0 && Series < int(std::size(SlotNames))) return SlotNames[Series];
    return "Series " + std::to_string(Series);
}

std::string ReadoutText(TChart& Chart, int Series, int Index)
{
    const TLineSeries* s = Chart.Series(Series);
    if (!s || Index < 0 || Index >= s->Count()) return "";
    return ReadoutName(Chart, Series) + ": " + Number(s->XValue(Index)) + Unit(Series) + " at " +
           Number(s->YValue(Index)) + " m";
}

std::string ReadoutAt(TChart& Chart, QPointF Mouse, double Radius)
{
    const std::optional<TPixelPoint> hit = NearestPoint(ShownPoints(Chart), Mouse, Radius);
    return hit ? ReadoutText(Chart, hit->Series, hit->Index) : std::string();
}

namespace app {

TPointTips::TPointTips(TChart& Chart) : chart_(Chart)
{
    chart_.OnMouseMove = [this](QMouseEvent* Event) {
        const std::string text = TextAt(QPointF(Event->position().toPoint()));
        if (text.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(Event->globalPosition().toPoint(), Q(text), chart_.MouseSurface());
    };
}

TPointTips::~TPointTips() { chart_.OnMouseMove = nullptr; }

std::string TPointTips::TextAt(QPointF Pos) const { return ReadoutAt(chart_, Pos); }

}  // namespace app
