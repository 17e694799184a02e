#include "chart/Hodograph.h"

#include "analysis/Kinematics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

constexpr double kKnotsPerMs = 3600.0 / 1852.0;
constexpr double kRingKnots = 10;

const QColor kFrame(150, 150, 150);
const QColor kRing(215, 215, 215);
const QColor kAxis(185, 185, 185);
const QColor kRingLabel(120, 120, 120);
const QColor kShade(60, 140, 255, 60);
const QColor kMarker(30, 30, 30);

// The square of the plot, the knots it shows and how they map to pixels.
struct TView {
    QRectF Plot;
    double CentreU = 0, CentreV = 0;  // kt
    double Half = 20;                 // kt from the centre to an edge
    double Scale() const { return Plot.width() / (2 * Half); }
    // The pixel of a wind (m/s).
    QPointF Pixel(double U, double V) const
    {
        return QPointF(Plot.center().x() + (U * kKnotsPerMs - CentreU) * Scale(),
                       Plot.center().y() - (V * kKnotsPerMs - CentreV) * Scale());
    }
    QPointF Pixel(const THodographWind& W) const { return Pixel(W.U, W.V); }
};

// The view that holds the ground's origin, the line and the markers, in
// steps of 10 kt so that it moves little from one launch to the next.
TView ViewOf(const THodographData& D, const QRectF& Plot)
{
    double uMin = 0, uMax = 0, vMin = 0, vMax = 0;
    auto hold = [&](double U, double V) {
        uMin = std::min(uMin, U * kKnotsPerMs);
        uMax = std::max(uMax, U * kKnotsPerMs);
        vMin = std::min(vMin, V * kKnotsPerMs);
        vMax = std::max(vMax, V * kKnotsPerMs);
    };
    for (const THodographPoint& p : D.Points) hold(p.U, p.V);
    for (const auto* w : {&D.RightMover, &D.LeftMover, &D.MeanWind})
        if (*w) hold((*w)->U, (*w)->V);
    TView view;
    view.Plot = Plot;
    view.CentreU = std::round((uMin + uMax) / 10) * 5;
    view.CentreV = std::round((vMin + vMax) / 10) * 5;
    const double reach = std::max({uMax - view.CentreU, view.CentreU - uMin, vMax - view.CentreV, view.CentreV - vMin});
    view.Half = std::max(20.0, std::ceil((reach * 1.08 + 3) / 10) * 10);
    return view;
}

QFont SmallFont(const QFont& Base, double Side)
{
    QFont font = Base;
    font.setPixelSize(std::clamp(int(Side / 19), 9, 14));
    return font;
}

// The legend's items laid out in rows across Width: each item's top-left.
struct TLegend {
    std::vector<QPointF> At;
    double Height = 0;
};

const char* const kLayerNames[HodographLayers] = {"0-1", "1-3", "3-6", "6-10 km"};

TLegend LayOutLegend(const QFontMetricsF& Metrics, double Width, double Swatch)
{
    TLegend legend;
    double x = 0, y = 0;
    for (const char* name : kLayerNames) {
        const double w = Swatch + 3 + Metrics.horizontalAdvance(name);
        if (x > 0 && x + w > Width) {
            x = 0;
            y += Metrics.height();
        }
        legend.At.emplace_back(x, y);
        x += w + Metrics.horizontalAdvance("  ");
    }
    legend.Height = y + Metrics.height();
    return legend;
}

void PaintLegend(QPainter& P, const QRectF& Strip, const TLegend& Legend, double Swatch)
{
    const QFontMetricsF metrics(P.font());
    for (int i = 0; i < HodographLayers; ++i) {
        const QPointF at = Strip.topLeft() + Legend.At[std::size_t(i)];
        const double y = at.y() + metrics.height() / 2;
        P.setPen(QPen(HodographLayerColour(i), 3, Qt::SolidLine, Qt::FlatCap));
        P.drawLine(QPointF(at.x(), y), QPointF(at.x() + Swatch, y));
        P.setPen(Qt::black);
        P.drawText(QPointF(at.x() + Swatch + 3, at.y() + metrics.ascent()), kLayerNames[i]);
    }
}

// The rings every 10 kt round the origin, the axes through it and the
// rings' speeds along the longest half-axis in view.
void PaintRings(QPainter& P, const TView& V)
{
    const QPointF origin = V.Pixel(0, 0);
    const QRectF& plot = V.Plot;
    P.setPen(QPen(kAxis, 1));
    P.drawLine(QPointF(plot.left(), origin.y()), QPointF(plot.right(), origin.y()));
    P.drawLine(QPointF(origin.x(), plot.top()), QPointF(origin.x(), plot.bottom()));
    double farthest = 0;
    for (const QPointF& c : {plot.topLeft(), plot.topRight(), plot.bottomLeft(), plot.bottomRight()})
        farthest = std::max(farthest, std::hypot(c.x() - origin.x(), c.y() - origin.y()));
    const double step = kRingKnots * V.Scale();
    P.setPen(QPen(kRing, 1));
    P.setBrush(Qt::NoBrush);
    for (double r = step; r <= farthest; r += step) P.drawEllipse(origin, r, r);

    // The labels along the half-axis that reaches farthest within the plot.
    const double reach[4] = {plot.right() - origin.x(), origin.x() - plot.left(), origin.y() - plot.top(),
                             plot.bottom() - origin.y()};
    const int axis = int(std::max_element(reach, reach + 4) - reach);
    const QPointF dir[4] = {{1, 0}, {-1, 0}, {0, -1}, {0, 1}};
    const QFontMetricsF metrics(P.font());
    const double extent = axis < 2 ? metrics.horizontalAdvance("100 kt") : metrics.height();
    const int every = std::max(1, int(std::ceil(extent * 1.2 / step)));
    std::vector<std::pair<QPointF, int>> labels;
    for (int n = every; n * step + extent / 2 < reach[axis]; n += every)
        labels.emplace_back(origin + dir[axis] * (n * step), int(n * kRingKnots));
    P.setPen(kRingLabel);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QString text = QString::number(labels[i].second) + (i + 1 == labels.size() ? " kt" : "");
        const QPointF at = labels[i].first;
        if (axis < 2)
            P.drawText(QPointF(at.x() - metrics.horizontalAdvance(text) / 2, at.y() - 3), text);
        else
            P.drawText(QPointF(at.x() + 3, at.y() + metrics.ascent() / 2 - 1), text);
    }
}

// The line between the heights Bottom and Top (m): its ends interpolated,
// the points between them.
QPolygonF Stretch(const TView& V, const std::vector<THodographPoint>& Points, double Bottom, double Top)
{
    QPolygonF line;
    if (Points.empty()) return line;
    Bottom = std::max(Bottom, Points.front().Height);
    Top = std::min(Top, Points.back().Height);
    if (!(Bottom < Top)) return line;
    line.append(V.Pixel(*HodographWindAt(Points, Bottom)));
    for (const THodographPoint& p : Points)
        if (p.Height > Bottom && p.Height < Top) line.append(V.Pixel(p.U, p.V));
    line.append(V.Pixel(*HodographWindAt(Points, Top)));
    return line;
}

// The area swept between the right mover and the line over the effective
// inflow layer.
void PaintShade(QPainter& P, const TView& V, const THodographData& D)
{
    if (!D.EffectiveBase || !D.EffectiveTop || !D.RightMover) return;
    QPolygonF area = Stretch(V, D.Points, *D.EffectiveBase, *D.EffectiveTop);
    if (area.size() < 2) return;
    area.prepend(V.Pixel(*D.RightMover));
    P.setPen(Qt::NoPen);
    P.setBrush(kShade);
    P.drawPolygon(area, Qt::WindingFill);
}

void PaintLine(QPainter& P, const TView& V, const THodographData& D, double Width)
{
    double bottom = 0;
    for (int i = 0; i < HodographLayers; ++i) {
        const QPolygonF line = Stretch(V, D.Points, bottom, HodographLayerTops[i]);
        bottom = HodographLayerTops[i];
        if (line.size() < 2) continue;
        P.setPen(QPen(HodographLayerColour(i), Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        P.setBrush(Qt::NoBrush);
        P.drawPolyline(line);
    }
}

// A marker at a wind with its name beside it (right of it, or left where
// the plot ends).
void PaintMarker(QPainter& P, const TView& V, const THodographWind& W, const char* Name, bool Filled, bool Square)
{
    const QPointF at = V.Pixel(W);
    const double r = std::max(3.0, V.Plot.width() / 90);
    P.setPen(QPen(kMarker, 1.2));
    P.setBrush(Filled ? QBrush(kMarker) : QBrush(Qt::white));
    if (Square)
        P.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
    else
        P.drawEllipse(at, r, r);
    const QFontMetricsF metrics(P.font());
    const double width = metrics.horizontalAdvance(Name);
    double x = at.x() + r + 2;
    if (x + width > V.Plot.right()) x = at.x() - r - 2 - width;
    P.setPen(kMarker);
    P.drawText(QPointF(x, at.y() + metrics.ascent() / 2 - 1), Name);
}

void PaintMarkers(QPainter& P, const TView& V, const THodographData& D)
{
    if (D.MeanWind) PaintMarker(P, V, *D.MeanWind, "MW", false, true);
    // The cyclonic mover filled: the right one north of the equator.
    if (D.RightMover) PaintMarker(P, V, *D.RightMover, "RM", !D.Southern, false);
    if (D.LeftMover) PaintMarker(P, V, *D.LeftMover, "LM", D.Southern, false);
}

// Liang and Barsky's clipping: the length of A-B inside Rect.
double ClippedLength(QPointF A, QPointF B, const QRectF& Rect)
{
    const double dx = B.x() - A.x(), dy = B.y() - A.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {A.x() - Rect.left(), Rect.right() - A.x(), A.y() - Rect.top(), Rect.bottom() - A.y()};
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return 0;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return 0;
    }
    return (t1 - t0) * std::hypot(dx, dy);
}

}  // namespace

QColor HodographLayerColour(int Layer)
{
    static const QColor colours[HodographLayers] = {QColor(220, 20, 60), QColor(0, 150, 60), QColor(230, 150, 0),
                                                    QColor(30, 100, 230)};
    return colours[std::clamp(Layer, 0, HodographLayers - 1)];
}

THodographData HodographOf(const TSounding& Sounding, const sounding::TIndices& Indices, bool Southern)
{
    THodographData data;
    data.Title = Sounding.Title;
    data.Southern = Southern;
    const double marks[] = {HodographLayerTops[0], HodographLayerTops[1], HodographLayerTops[2]};
    for (const sounding::TWindPoint& w : sounding::WindProfile(Sounding, HodographTop, marks))
        data.Points.push_back({w.Height, w.U, w.V});
    auto wind = [](const std::optional<sounding::TWindVector>& W) {
        return W ? std::optional<THodographWind>(THodographWind{W->U, W->V}) : std::nullopt;
    };
    const sounding::TKinematics& k = Indices.Wind;
    data.RightMover = wind(k.StormRight);
    data.LeftMover = wind(k.StormLeft);
    data.MeanWind = wind(k.MeanWind0To6);
    data.EffectiveBase = k.EffectiveBase;
    data.EffectiveTop = k.EffectiveTop;
    return data;
}

std::optional<THodographWind> HodographWindAt(const std::vector<THodographPoint>& Points, double Height)
{
    if (Points.empty() || !(Height >= Points.front().Height) || !(Height <= Points.back().Height)) return std::nullopt;
    const auto above = std::lower_bound(Points.begin(), Points.end(), Height,
                                        [](const THodographPoint& P, double H) { return P.Height < H; });
    if (above->Height == Height || above == Points.begin()) return THodographWind{above->U, above->V};
    const THodographPoint& a = *(above - 1);
    const THodographPoint& b = *above;
    const double f = (Height - a.Height) / (b.Height - a.Height);
    return THodographWind{a.U + f * (b.U - a.U), a.V + f * (b.V - a.V)};
}

void PaintHodograph(QPainter& Painter, const QRectF& Box, const THodographData& Data, bool Smooth)
{
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setPen(QPen(kFrame, 1));
    Painter.setBrush(Qt::white);
    Painter.drawRect(Box);
    const double side = std::min(Box.width(), Box.height());
    Painter.setFont(SmallFont(Painter.font(), side));
    const QFontMetricsF metrics(Painter.font());
    const double pad = 4, swatch = std::max(8.0, side / 20);
    const QRectF inner = Box.adjusted(pad, pad, -pad, -pad);
    const TLegend legend = LayOutLegend(metrics, inner.width(), swatch);
    const QRectF strip(inner.left(), inner.bottom() - legend.Height, inner.width(), legend.Height);
    // The plot: the largest square above the legend.
    const double plotSide = std::max(1.0, std::min(inner.width(), inner.height() - legend.Height - pad));
    const QRectF plot(inner.center().x() - plotSide / 2, inner.top(), plotSide, plotSide);
    const TView view = ViewOf(Data, plot);

    Painter.save();
    Painter.setClipRect(plot, Qt::IntersectClip);
    PaintRings(Painter, view);
    Painter.setRenderHint(QPainter::Antialiasing, Smooth);
    PaintShade(Painter, view, Data);
    PaintLine(Painter, view, Data, std::max(2.0, side / 110));
    PaintMarkers(Painter, view, Data);
    Painter.restore();
    if (Data.Points.size() < 2) {
        Painter.setPen(Qt::black);
        Painter.drawText(plot, Qt::AlignCenter, "No winds");
    }
    PaintLegend(Painter, strip, legend, swatch);
    Painter.restore();
}

QImage RenderHodograph(const THodographData& Data, QSize Size)
{
    if (Size.isEmpty()) return QImage();
    QImage image(Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(std::clamp(std::min(Size.width(), Size.height()) / 36, 9, 16));
    painter.setFont(font);
    double top = 4;
    if (!Data.Title.empty()) {
        const QFontMetricsF metrics(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(6, top + metrics.ascent()), QString::fromStdString(Data.Title + "  hodograph"));
        top += metrics.height() + 4;
    }
    PaintHodograph(painter, QRectF(4, top, Size.width() - 9, Size.height() - top - 5), Data, true);
    return image;
}

double LengthInside(const std::vector<QPointF>& Trace, const QRectF& Rect)
{
    double length = 0;
    for (std::size_t i = 1; i < Trace.size(); ++i) length += ClippedLength(Trace[i - 1], Trace[i], Rect);
    return length;
}

std::optional<QRectF> PlaceInset(const std::vector<QPointF>& Candidates, QSizeF Size,
                                 const std::vector<std::vector<QPointF>>& Traces, double Gap)
{
    std::optional<QRectF> best;
    double least = 0;
    for (const QPointF& corner : Candidates) {
        const QRectF rect(corner, Size);
        const QRectF widened = rect.adjusted(-Gap, -Gap, Gap, Gap);
        double crossed = 0;
        for (const std::vector<QPointF>& trace : Traces) crossed += LengthInside(trace, widened);
        if (crossed == 0) return rect;
        if (!best || crossed < least) {
            best = rect;
            least = crossed;
        }
    }
    return best;
}

}  // namespace chart
