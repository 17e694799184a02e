#include "chart/SkewT.h"

#include "sounding/Heights.h"
#include "analysis/Quantities.h"
#include "analysis/Thermo.h"

#include <qcustomplot.h>

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <utility>

namespace chart {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kKnotsPerMs = 3600.0 / 1852.0;

// The labelled pressures, hPa.
constexpr double kLabelledPressures[] = {1000, 850, 700, 500, 400, 300, 250, 200, 150,
                                         100,  70,  50,  30,  20,  10,  5,   2,   1};
constexpr double kMixingRatios[] = {0.4, 1, 2, 4, 8, 12, 16, 20, 28, 40};  // g/kg
constexpr double kMixingRatioTop = 600;                                    // hPa

bool Present(float V) { return V != MissingValue; }

std::string Fixed(double V, int Decimals)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", Decimals, V);
    return buffer;
}

// The indices of the launch the box lists: short name and CSV column.
constexpr std::pair<const char*, const char*> kBoxIndices[] = {
    {"K", "k_index"}, {"TT", "totals_totals"}, {"PW", "precipitable_water"}};

std::string Number(const std::optional<double>& V, int Decimals, const char* Unit = "")
{
    return V ? Fixed(*V, Decimals) + Unit : std::string("-");
}

// Pressures from Bottom to Top, Steps intervals equal in ln p.
std::vector<double> LogSteps(double Bottom, double Top, int Steps)
{
    std::vector<double> ps;
    for (int i = 0; i <= Steps; ++i) ps.push_back(Bottom * std::pow(Top / Bottom, double(i) / Steps));
    return ps;
}

// The mixed layer (bottom, top, hPa) of a mixed-layer parcel: from the
// lowest level the indices use to the top that puts the parcel's start
// halfway.
std::optional<std::pair<double, double>> MixedLayerOf(const TSounding& S, const sounding::TParcel& Parcel)
{
    if (Parcel.Kind != sounding::TParcelKind::MixedLayer || !Parcel.Valid) return std::nullopt;
    for (std::size_t i = S.Surface >= 0 ? std::size_t(S.Surface) : 0; i < S.Levels.size(); ++i) {
        const TSoundingLevel& l = S.Levels[i];
        if (!Present(l.Pressure) || !(l.Pressure > 0) || !Present(l.Temperature)) continue;
        const double bottom = l.Pressure, top = 2 * Parcel.StartPressure - bottom;
        if (top > 0 && top < bottom) return std::make_pair(bottom, top);
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

// ---------------------------------------------------------------- transform

double TSkewTransform::Skew()
{
    static const double skew = [] {
        const double pixelsPerLogP =
            (SkewTHeight - MarginTop - MarginBottom) / std::log(SkewTPressureBottom / SkewTPressureTop);
        const double pixelsPerDegree = (SkewTWidth - MarginLeft - MarginRight) / DefaultSpan;
        return pixelsPerLogP / pixelsPerDegree;
    }();
    return skew;
}

TSkewTransform::TSkewTransform(QSize Size, double PressureBottom, double PressureTop, double SpanLow, double SpanHigh,
                               QMargins Reserve)
    : bottom_(PressureBottom), top_(PressureTop), spanLow_(SpanLow), spanHigh_(SpanHigh)
{
    const int left = MarginLeft + Reserve.left(), top = MarginTop + Reserve.top();
    const int width = std::max(1, Size.width() - left - MarginRight - Reserve.right());
    const int height = std::max(1, Size.height() - top - MarginBottom - Reserve.bottom());
    yMin_ = Y(bottom_);
    yMax_ = Y(top_);
    // The largest scale that holds both the pressure range and the span.
    double pixelsPerLogP = std::min(height / (yMax_ - yMin_), width * Skew() / (SpanHigh - SpanLow));
    // The height left over is a blank margin above and below (a higher
    // view would send the traces of the stratosphere off to the right).
    const int used = std::clamp(int(std::floor((yMax_ - yMin_) * pixelsPerLogP + 1e-6)), 1, height);
    pixelsPerLogP = used / (yMax_ - yMin_);
    area_ = QRect(left, top + (height - used) / 2, width, used);
    // The width left over shows more temperatures on both sides.
    const double across = width * Skew() / pixelsPerLogP;
    xMin_ = (SpanLow + SpanHigh - across) / 2;
    xMax_ = xMin_ + across;
}

double TSkewTransform::X(double T, double P) { return T + Skew() * std::log(1000.0 / P); }
double TSkewTransform::Y(double P) { return std::log(1000.0 / P); }

// As QCustomPlot places axis values: from the rectangle's left and its
// bottom row.
QPointF TSkewTransform::PixelOf(double X, double Y) const
{
    return QPointF(area_.left() + (X - xMin_) / (xMax_ - xMin_) * area_.width(),
                   area_.bottom() - (Y - yMin_) / (yMax_ - yMin_) * area_.height());
}

double TSkewTransform::XAt(double PixelX) const
{
    return xMin_ + (PixelX - area_.left()) / area_.width() * (xMax_ - xMin_);
}

double TSkewTransform::YAt(double PixelY) const
{
    return yMin_ + (area_.bottom() - PixelY) / area_.height() * (yMax_ - yMin_);
}

double TSkewTransform::PressureAt(double PixelY) const { return 1000.0 / std::exp(YAt(PixelY)); }

double TSkewTransform::TemperatureAt(QPointF Pixel) const { return XAt(Pixel.x()) - Skew() * YAt(Pixel.y()); }

// ---------------------------------------------------------------- barbs

TBarbGlyph BarbGlyph(double Knots)
{
    TBarbGlyph glyph;
    if (!(Knots >= 2.5)) {
        glyph.Calm = true;
        return glyph;
    }
    int rest = int(std::lround(Knots / 5)) * 5;
    glyph.Pennants = rest / 50;
    rest %= 50;
    glyph.Full = rest / 10;
    glyph.Half = (rest % 10) / 5;
    return glyph;
}

std::vector<QPointF> BarbPath(const TBarbGlyph& Glyph, double DirectionDeg, QPointF Station, bool South)
{
    std::vector<QPointF> path;
    if (Glyph.Calm) {
        for (int i = 0; i <= 12; ++i) {
            const double a = i * M_PI / 6;
            path.emplace_back(Station.x() + 3 * std::cos(a), Station.y() + 3 * std::sin(a));
        }
        return path;
    }
    // Towards where the wind comes from; screen y grows downwards.
    const double a = DirectionDeg * M_PI / 180;
    const QPointF u(std::sin(a), -std::cos(a));
    // The marks stand on the clockwise side of the staff (anticlockwise
    // south of the equator), leaning outwards.
    const QPointF side = South ? QPointF(u.y(), -u.x()) : QPointF(-u.y(), u.x());
    const QPointF feather = side * 10 + u * 4;
    constexpr double kSpacing = 4.5;
    constexpr double kPennantBase = 5;

    const QPointF tip = Station + u * BarbStaff;
    path.push_back(Station);
    path.push_back(tip);
    double along = BarbStaff;  // from the station
    // A lone half barb stands a little in from the end.
    if (Glyph.Pennants == 0 && Glyph.Full == 0) along -= kSpacing;
    auto at = [&](double d) { return Station + u * d; };
    for (int i = 0; i < Glyph.Pennants; ++i) {
        path.push_back(at(along));
        path.push_back(at(along) + feather);
        path.push_back(at(along - kPennantBase));
        along -= kPennantBase + (i + 1 == Glyph.Pennants ? 2 : 1);
    }
    for (int i = 0; i < Glyph.Full; ++i) {
        path.push_back(at(along));
        path.push_back(at(along) + feather);
        path.push_back(at(along));
        along -= kSpacing;
    }
    for (int i = 0; i < Glyph.Half; ++i) {
        path.push_back(at(along));
        path.push_back(at(along) + feather * 0.5);
        path.push_back(at(along));
    }
    return path;
}

// ---------------------------------------------------------------- profiles

double ProfileAt(const std::vector<double>& Ps, const std::vector<double>& Values, double P)
{
    if (Ps.empty() || !(P <= Ps.front()) || !(P >= Ps.back())) return kNaN;
    // The first level at or above P (pressure falling).
    const auto it = std::lower_bound(Ps.begin(), Ps.end(), P, [](double A, double B) { return A > B; });
    const std::size_t i = std::size_t(it - Ps.begin());
    if (i < Ps.size() && Ps[i] == P) return Values[i];
    if (i == 0 || i >= Ps.size()) return kNaN;
    const double p0 = Ps[i - 1], p1 = Ps[i];
    const double v0 = Values[i - 1], v1 = Values[i];
    if (std::isnan(v0) || std::isnan(v1)) return kNaN;
    if (p0 == p1) return v0;
    const double f = std::log(p0 / P) / std::log(p0 / p1);
    return v0 + f * (v1 - v0);
}

// ---------------------------------------------------------------- diagram

// The barbs, drawn in pixels over the data and, near the top and the
// bottom, over the frame: pennants filled, calm an open circle.
class TBarbLayer : public QCPLayerable {
public:
    explicit TBarbLayer(QCustomPlot* Plot) : QCPLayerable(Plot, "main") {}
    std::vector<std::pair<std::vector<QPointF>, bool>> Barbs;  // the path, calm

protected:
    void applyDefaultAntialiasingHint(QCPPainter* Painter) const override
    {
        applyAntialiasingHint(Painter, false, QCP::aeItems);
    }
    QRect clipRect() const override { return parentPlot()->viewport(); }
    void draw(QCPPainter* Painter) override
    {
        Painter->setPen(QPen(Qt::black, 1));
        for (const auto& [path, calm] : Barbs) {
            const QPolygonF polygon(QList<QPointF>(path.begin(), path.end()));
            if (calm) {
                Painter->setBrush(Qt::NoBrush);
                Painter->drawPolyline(polygon);
            } else {
                Painter->setBrush(Qt::black);
                Painter->drawPolygon(polygon, Qt::WindingFill);
            }
        }
    }
};

// The hodograph's inset, drawn over everything else of the data's layer.
class THodographLayer : public QCPLayerable {
public:
    explicit THodographLayer(QCustomPlot* Plot) : QCPLayerable(Plot, "main") {}
    const THodographData* Data = nullptr;
    std::optional<QRectF> Rect;  // pixels; none: not drawn
    bool Smooth = true;

protected:
    void applyDefaultAntialiasingHint(QCPPainter* Painter) const override
    {
        applyAntialiasingHint(Painter, false, QCP::aeItems);
    }
    QRect clipRect() const override { return parentPlot()->viewport(); }
    void draw(QCPPainter* Painter) override
    {
        if (Rect && Data) PaintHodograph(*Painter, *Rect, *Data, Smooth);
    }
};

TSkewT::TSkewT(QWidget* Parent) : QWidget(Parent), plot_(new QCustomPlot(this))
{
    plot_->setGeometry(rect());
    plot_->setNoAntialiasingOnDrag(true);
    // Smooth lines for the profiles and the lines behind; the rest (drawn
    // every frame) without, which keeps a frame cheap.
    plot_->setAntialiasedElements(QCP::aeNone);
    plot_->setNotAntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeItems);

    // Layers: everything that stays (the lines behind, the axes) in one
    // paint buffer below the data's own buffer.
    plot_->moveLayer(plot_->layer("axes"), plot_->layer("grid"), QCustomPlot::limAbove);
    plot_->moveLayer(plot_->layer("legend"), plot_->layer("axes"), QCustomPlot::limAbove);
    plot_->moveLayer(plot_->layer("overlay"), plot_->layer("legend"), QCustomPlot::limAbove);
    plot_->layer("main")->setMode(QCPLayer::lmBuffered);
    plot_->setCurrentLayer("main");

    // The margins follow the plotted area (ApplyRanges).
    plot_->axisRect()->setAutoMargins(QCP::msNone);
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
        axis->grid()->setVisible(false);
        axis->setSubTicks(false);
        axis->setTickLengthOut(3);
        axis->setTickLengthIn(0);
    }
    plot_->xAxis->setLabel("Temperature (C)");
    plot_->yAxis->setLabel("Pressure (hPa)");
    plot_->yAxis->setLabelPadding(2);
    plot_->xAxis->setLabelPadding(2);
    for (QCPAxis* axis : {plot_->xAxis2, plot_->yAxis2}) {
        axis->setVisible(true);
        axis->setTicks(false);
        axis->setTickLabels(false);
    }

    // The climate bands, behind everything else of the data (empty until
    // asked for: they draw nothing).
    CreateBands();
    temperature_ = NewCurve(true);
    dewPoint_ = NewCurve(true);
    cin_ = NewCurve(true);
    cin_->setPen(Qt::NoPen);
    cin_->setAntialiasedFill(false);
    cin_->setBrush(QColor(0, 90, 255, 60));
    cape_ = NewCurve(true);
    cape_->setPen(Qt::NoPen);
    cape_->setAntialiasedFill(false);
    cape_->setBrush(QColor(255, 0, 0, 70));
    parcelCurve_ = NewCurve(true);
    parcelCurve_->setPen(QPen(QColor(40, 40, 40), 1.5, Qt::DashLine));
    // The data above the shading.
    temperature_->setPen(QPen(temperatureColour_, 2));
    dewPoint_->setPen(QPen(dewPointColour_, 2));

    CreateItems();
    // Last: over the barbs and the labels.
    hodographLayer_ = new THodographLayer(plot_);
    hodographLayer_->Data = &hodograph_;

    plot_->setMouseTracking(true);
    plot_->installEventFilter(this);
    connect(plot_, &QCustomPlot::mouseMove, this, &TSkewT::MouseMove);
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* Event) {
        if (Event->button() == Qt::RightButton && OnContextMenu) OnContextMenu(Event->globalPosition().toPoint());
    });
    resize(SkewTWidth, SkewTHeight);
    ShowSounding(nullptr);
}

bool TSkewT::eventFilter(QObject* Watched, QEvent* Event)
{
    // The mouse left the diagram: nothing to read out.
    if (Watched == plot_ && Event->type() == QEvent::Leave && hoverAt_) {
        hoverAt_.reset();
        if (OnHover) OnHover("");
    }
    return QWidget::eventFilter(Watched, Event);
}

// The labels, ticks, box, note and the mixed layer's bracket.
void TSkewT::CreateItems()
{
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.85));
    for (double p : kLabelledPressures) {
        auto* label = new QCPItemText(plot_);
        label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
        label->position->setTypeY(QCPItemPosition::ptPlotCoords);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setFont(small);
        label->setColor(QColor(90, 90, 90));
        label->setBrush(QColor(255, 255, 255, 190));
        label->setPadding(QMargins(1, 0, 1, 0));
        label->setVisible(false);
        heightLabels_.push_back(label);
        heightPressures_.push_back(p);
    }
    const char* names[3] = {"LCL", "LFC", "EL"};
    for (int i = 0; i < 3; ++i) {
        levelTicks_[i] = new QCPItemLine(plot_);
        levelTicks_[i]->setPen(QPen(Qt::black, 1.5));
        levelTicks_[i]->setVisible(false);
        levelLabels_[i] = new QCPItemText(plot_);
        levelLabels_[i]->setText(names[i]);
        levelLabels_[i]->setFont(small);
        levelLabels_[i]->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        levelLabels_[i]->setVisible(false);
    }
    // The box stands beside the plot, in pixels of the widget.
    box_ = new QCPItemText(plot_);
    box_->setClipToAxisRect(false);
    box_->position->setType(QCPItemPosition::ptAbsolute);
    box_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    box_->setTextAlignment(Qt::AlignLeft);
    box_->setFont(small);
    box_->setBrush(QColor(255, 255, 255));
    box_->setPen(QPen(QColor(150, 150, 150)));
    box_->setPadding(QMargins(5, 3, 5, 3));
    box_->setVisible(false);
    note_ = new QCPItemText(plot_);
    note_->position->setType(QCPItemPosition::ptAxisRectRatio);
    note_->position->setCoords(0.5, 0.45);
    note_->setPositionAlignment(Qt::AlignCenter);
    note_->setBrush(QColor(255, 255, 255, 230));
    note_->setPadding(QMargins(6, 4, 6, 4));
    barbLayer_ = new TBarbLayer(plot_);
    // The mixed layer: a bracket right of its lowest 500 m.
    layerCurve_ = NewCurve(true);
    layerCurve_->setPen(QPen(QColor(60, 60, 60), 1.5));
    layerLabel_ = new QCPItemText(plot_);
    layerLabel_->setText("mixed layer");
    layerLabel_->setFont(small);
    layerLabel_->setColor(QColor(60, 60, 60));
    layerLabel_->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layerLabel_->setVisible(false);
}

TSkewT::~TSkewT() = default;

QCPCurve* TSkewT::NewCurve(bool Data)
{
    auto* curve = new QCPCurve(plot_->xAxis, plot_->yAxis);
    curve->setLayer(Data ? "main" : "grid");
    curve->setScatterStyle(QCPScatterStyle::ssNone);
    return curve;
}

void TSkewT::BuildBackground()
{
    for (QCPCurve* c : background_) plot_->removePlottable(c);
    background_.clear();
    auto add = [this](const std::vector<std::pair<double, double>>& TP, const QPen& Pen) {
        QVector<double> xs, ys;
        for (const auto& [t, p] : TP) {
            if (std::isnan(t) || std::isnan(p)) continue;
            xs.push_back(TSkewTransform::X(t, p));
            ys.push_back(TSkewTransform::Y(p));
        }
        if (xs.size() < 2) return;
        QCPCurve* curve = NewCurve(false);
        curve->setPen(Pen);
        curve->setData(xs, ys);
        background_.push_back(curve);
    };
    // The lines cross the whole view: its corners bound the temperatures.
    const TSkewTransform tr = Transform();
    const double shownTop = tr.ShownTop();
    builtView_ = {tr.XMin(), tr.XMax(), tr.YMin(), tr.YMax()};
    const double coldest = tr.XMin() - TSkewTransform::Skew() * tr.YMax();
    const double warmest = tr.XMax() - TSkewTransform::Skew() * tr.YMin();
    const int steps = std::max(40, int(40 * (tr.YMax() - tr.YMin()) / 2.35));
    const std::vector<double> ps = LogSteps(bottom_, shownTop, steps);
    // Isotherms every 10 C, the 0 C one a little stronger.
    for (int t = int(std::floor(coldest / 10)) * 10; t <= warmest; t += 10)
        add({{t, bottom_}, {t, shownTop}}, t == 0 ? QPen(QColor(110, 110, 160), 1.2) : QPen(QColor(205, 205, 205), 1));
    // Dry adiabats every 10 K, between the coldest and the warmest corner.
    const double thetas[] = {
        sounding::PotentialTemperature(coldest + TSkewTransform::Skew() * (tr.YMax() - tr.YMin()), bottom_),
        sounding::PotentialTemperature(tr.XMax() - TSkewTransform::Skew() * tr.YMax(), shownTop)};
    for (int theta = std::max(170, int(thetas[0] / 10) * 10); theta <= std::min(thetas[1], 3000.0); theta += 10) {
        std::vector<std::pair<double, double>> line;
        for (double p : ps) line.emplace_back(sounding::DryAdiabatTemperature(theta, p), p);
        add(line, QPen(QColor(230, 195, 160), 1));
    }
    // Saturated adiabats every 4 C at 1000 hPa, by the indices' own function.
    for (int t0 = -40; t0 <= std::min(warmest, 80.0) + 4; t0 += 4) {
        std::vector<std::pair<double, double>> line;
        for (double p : ps) line.emplace_back(sounding::MoistAdiabatTemperature(t0, 1000, p), p);
        add(line, QPen(QColor(150, 200, 150), 1));
    }
    // Mixing-ratio lines up to 600 hPa.
    const std::vector<double> low = LogSteps(bottom_, std::max(shownTop, kMixingRatioTop), 8);
    for (double w : kMixingRatios) {
        std::vector<std::pair<double, double>> line;
        for (double p : low) line.emplace_back(sounding::DewPointOfMixingRatio(w, p), p);
        add(line, QPen(QColor(175, 150, 210), 1, Qt::DashLine));
    }
    fullDraw_ = true;
}

bool TSkewT::SetPressureRange(double Bottom, double Top)
{
    if (!(Bottom <= 1100 && Bottom > Top && Top >= 1)) return false;
    if (Bottom == bottom_ && Top == top_) return true;
    bottom_ = Bottom;
    top_ = Top;
    if (hasSounding_)
        ShowSounding(&sounding_);
    else
        UpdateData();
    return true;
}

void TSkewT::SetColours(QColor Temperature, QColor DewPoint)
{
    temperatureColour_ = Temperature;
    dewPointColour_ = DewPoint;
    temperature_->setPen(QPen(temperatureColour_, 2));
    dewPoint_->setPen(QPen(dewPointColour_, 2));
    dataDirty_ = true;
    Redraw();
}

void TSkewT::SetSouthern(bool V)
{
    if (V == southern_) return;
    southern_ = V;
    hodograph_.Southern = V;
    barbSize_ = QSize();  // laid out again
    fullDraw_ = true;
    Redraw();
}

void TSkewT::SetSmooth(bool V)
{
    if (V == smooth_) return;
    smooth_ = V;
    plot_->setNotAntialiasedElements(V ? QCP::AntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeItems)
                                       : QCP::AntialiasedElements(QCP::aeAll));
    hodographLayer_->Smooth = V;
    fullDraw_ = true;
    Redraw();
}

void TSkewT::SetParcelKind(sounding::TParcelKind Kind)
{
    if (Kind == kind_) return;
    kind_ = Kind;
    if (hasSounding_) ShowSounding(&sounding_);
}

void TSkewT::ApplyRanges()
{
    const TSkewTransform tr = Transform();
    const QRect area = tr.Area();
    plot_->axisRect()->setMargins(QMargins(area.left(), area.top(), std::max(0, width() - area.right() - 1),
                                           std::max(0, height() - area.bottom() - 1)));
    plot_->xAxis->setRange(tr.XMin(), tr.XMax());
    plot_->yAxis->setRange(tr.YMin(), tr.YMax());
    plot_->xAxis2->setRange(tr.XMin(), tr.XMax());
    plot_->yAxis2->setRange(tr.YMin(), tr.YMax());
    const double shownTop = tr.ShownTop() * (1 - 1e-9);
    QSharedPointer<QCPAxisTickerText> left(new QCPAxisTickerText);
    for (double p : kLabelledPressures)
        if (p <= bottom_ && p >= shownTop) left->addTick(TSkewTransform::Y(p), QString::number(p));
    plot_->yAxis->setTicker(left);
    // The bottom axis names the isotherms where they meet it.
    QSharedPointer<QCPAxisTickerText> bottom(new QCPAxisTickerText);
    const double first = std::ceil((tr.XMin() - TSkewTransform::Skew() * tr.YMin()) / 10 - 1e-9) * 10;
    for (double t = first; TSkewTransform::X(t, bottom_) <= tr.XMax() + 1e-9; t += 10)
        bottom->addTick(TSkewTransform::X(t, bottom_), QString::number(t));
    plot_->xAxis->setTicker(bottom);
    for (std::size_t i = 0; i < heightLabels_.size(); ++i) {
        heightLabels_[i]->position->setCoords(0.004, TSkewTransform::Y(heightPressures_[i]));
        // A label at the top edge hangs below it.
        const bool atTop = tr.Pixel(0, heightPressures_[i]).y() - tr.Area().top() < 8;
        heightLabels_[i]->setPositionAlignment(Qt::AlignLeft | (atTop ? Qt::AlignTop : Qt::AlignVCenter));
    }
}

// The temperatures across at 1000 hPa that hold the launch's traces and
// parcel over the pressure range: the default span, widened by 10 C steps.
void TSkewT::FitSpan()
{
    double low = SkewTSpanLow, high = SkewTSpanHigh;
    auto hold = [&](double T, double P) {
        if (std::isnan(T) || !(P <= bottom_ && P >= top_)) return;
        const double x = TSkewTransform::X(T, P);
        low = std::min(low, std::floor(x / 10) * 10);
        high = std::max(high, std::ceil(x / 10) * 10);
    };
    for (std::size_t i = 0; i < p_.size(); ++i) {
        hold(t_[i], p_[i]);
        hold(td_[i], p_[i]);
    }
    for (const sounding::TParcelPoint& point : parcel_.Path) hold(point.Temperature, point.Pressure);
    spanLow_ = low;
    spanHigh_ = high;
}

void TSkewT::ShowSounding(const TSounding* Sounding, const std::string& Note)
{
    hasSounding_ = false;
    for (auto* v : {&p_, &t_, &td_, &z_, &windP_, &windU_, &windV_}) v->clear();
    parcel_ = sounding::TParcel{};
    parcel_.Kind = kind_;
    indices_ = sounding::TIndices{};
    hodograph_ = THodographData{};
    layerMark_.reset();
    if (Sounding && !Sounding->Levels.empty()) {
        if (Sounding != &sounding_) sounding_ = *Sounding;
        // The levels with a pressure, in falling pressure (the file's order
        // among equal pressures).
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < sounding_.Levels.size(); ++i)
            if (Present(sounding_.Levels[i].Pressure) && sounding_.Levels[i].Pressure > 0) order.push_back(i);
        std::stable_sort(order.begin(), order.end(), [this](std::size_t A, std::size_t B) {
            return sounding_.Levels[A].Pressure > sounding_.Levels[B].Pressure;
        });
        for (std::size_t i : order) AddLevel(sounding_.Levels[i]);
        hasSounding_ = !p_.empty();
    }
    if (hasSounding_) {
        parcel_ = sounding::LiftParcel(sounding_, kind_, false, top_);
        indices_ = sounding::ComputeIndices(sounding_);
        layerMark_ = MixedLayerOf(sounding_, parcel_);
        hodograph_ = HodographOf(sounding_, indices_, southern_);
        FitSpan();
    } else {
        note_->setText(QString::fromLocal8Bit(Note.c_str()));
    }
    note_->setVisible(!hasSounding_);
    UpdateData();
    Redraw();
    HoverAgain();
}

void TSkewT::AddLevel(const TSoundingLevel& L)
{
    p_.push_back(L.Pressure);
    t_.push_back(Present(L.Temperature) ? L.Temperature : kNaN);
    td_.push_back(Present(L.Temperature) && Present(L.DewPointDiff) ? L.Temperature - L.DewPointDiff : kNaN);
    const float z = sounding::LevelHeight(L);
    z_.push_back(Present(z) ? z : kNaN);
    if (Present(L.WindDirection) && Present(L.WindSpeed) && L.WindSpeed >= 0 && L.WindDirection >= 0 &&
        L.WindDirection <= 360 && (windP_.empty() || L.Pressure < windP_.back())) {
        const double a = L.WindDirection * M_PI / 180;
        windP_.push_back(L.Pressure);
        windU_.push_back(-L.WindSpeed * std::sin(a));
        windV_.push_back(-L.WindSpeed * std::cos(a));
    }
}

void TSkewT::HoverAgain()
{
    if (hoverAt_ && OnHover) OnHover(ReadoutAt(*hoverAt_));
}

void TSkewT::SetBoxShown(bool V)
{
    if (V == boxShown_) return;
    boxShown_ = V;
    UpdateData();
    Redraw();
    HoverAgain();
}

std::vector<std::string> TSkewT::BoxLines() const
{
    const sounding::TParcel& pc = parcel_;
    std::string name = sounding::ParcelName(kind_);
    if (layerMark_)
        name += " (" + Fixed(layerMark_->first, 0) + "-" + Fixed(layerMark_->second, 0) + " hPa)";
    else if (kind_ != sounding::TParcelKind::MixedLayer && pc.Valid)
        name += " (" + Fixed(pc.StartPressure, 0) + " hPa)";
    auto valid = [&](const std::optional<double>& V) { return pc.Valid ? V : std::nullopt; };
    // The lifted index of this parcel: the air at 500 hPa less the parcel
    // lifted there along its saturated adiabat.
    std::optional<double> li;
    if (pc.Valid) {
        const double thetaE = sounding::EquivalentPotentialTemperature(
            pc.StartTemperature, std::min(pc.StartTemperature, pc.StartDewPoint), pc.StartPressure);
        const double v = ProfileAt(p_, t_, 500) - sounding::SaturatedTemperature(thetaE, 500, kNaN);
        if (!std::isnan(v)) li = v;
    }
    // The launch's indices under the parcel's, by their short names, to 0.1.
    std::string indices;
    for (const auto& [shortName, column] : kBoxIndices) {
        const sounding::TIndexQuantity& q = *sounding::IndexQuantity(column);
        const std::string unit = *q.Unit ? std::string(" ") + q.Unit : std::string();
        indices +=
            (indices.empty() ? "" : "  ") + std::string(shortName) + " " + Number(q.Of(indices_), 1, unit.c_str());
    }
    // The wind's shear, helicity and composites, as the CSV files give them.
    const sounding::TKinematics& w = indices_.Wind;
    return {sounding_.Title,
            name,
            "CAPE " + Number(valid(pc.Cape), 0, " J/kg") + "  CIN " + Number(valid(pc.Cin), 0, " J/kg"),
            "LI " + Number(li, 1) + "  LCL " + Number(valid(pc.LclPressure), 0, " hPa"),
            "LFC " + Number(valid(pc.LfcPressure), 0, " hPa") + "  EL " + Number(valid(pc.ElPressure), 0, " hPa"),
            indices,
            "Shear 0-6 km " + Number(w.BulkShear0To6, 1, " m/s") + "  STP " + Number(w.StpFixed, 2),
            "SRH 0-1 km " + Number(w.Srh0To1, 0, " m2/s2") + "  SCP " + Number(w.Scp, 2)};
}

std::string TSkewT::BoxText() const
{
    std::string text;
    for (const std::string& line : BoxLines()) text += (text.empty() ? "" : "\n") + line;
    return text;
}

bool TSkewT::NoteShown() const { return note_->visible(); }

void TSkewT::UpdateData()
{
    dataDirty_ = true;
    const TSkewTransform tr = Transform();
    auto set = [](QCPCurve* Curve, const std::vector<double>& Ps, const std::vector<double>& Ts) {
        QVector<double> xs, ys;
        xs.reserve(int(Ps.size()));
        ys.reserve(int(Ps.size()));
        for (std::size_t i = 0; i < Ps.size(); ++i) {
            if (std::isnan(Ts[i])) continue;
            xs.push_back(TSkewTransform::X(Ts[i], Ps[i]));
            ys.push_back(TSkewTransform::Y(Ps[i]));
        }
        Curve->setData(xs, ys);
    };
    set(temperature_, p_, t_);
    set(dewPoint_, p_, td_);

    std::vector<double> pp, pt;
    for (const sounding::TParcelPoint& point : parcel_.Path)
        if (!std::isnan(point.Temperature) && point.Pressure > 0) {
            pp.push_back(point.Pressure);
            pt.push_back(point.Temperature);
        }
    set(parcelCurve_, pp, pt);

    // A shaded area between the parcel and the environment from Lower to
    // Upper (hPa): along the parcel, then back along the environment where
    // it lies on the side Warmer says (the parcel's own line elsewhere).
    auto shade = [&](QCPCurve* Curve, double Lower, double Upper, bool ParcelWarmer) {
        std::vector<double> ps{Lower, Upper};
        for (double p : pp)
            if (p < Lower && p > Upper) ps.push_back(p);
        for (double p : p_)
            if (p < Lower && p > Upper) ps.push_back(p);
        std::sort(ps.begin(), ps.end(), std::greater<>());
        std::vector<double> parcel, edge, kept;
        for (double p : ps) {
            const double tp = ProfileAt(pp, pt, p), te = ProfileAt(p_, t_, p);
            if (std::isnan(tp) || std::isnan(te)) continue;
            kept.push_back(p);
            parcel.push_back(tp);
            edge.push_back(ParcelWarmer ? std::min(te, tp) : std::max(te, tp));
        }
        std::vector<double> polyP(kept), polyT(parcel);
        polyP.insert(polyP.end(), kept.rbegin(), kept.rend());
        polyT.insert(polyT.end(), edge.rbegin(), edge.rend());
        set(Curve, polyP, polyT);
        return kept.size() >= 2;
    };
    capeShade_.reset();
    cinShade_.reset();
    cape_->data()->clear();
    cin_->data()->clear();
    if (hasSounding_ && parcel_.Valid && parcel_.LfcPressure) {
        const double lfc = *parcel_.LfcPressure;
        if (parcel_.ElPressure && *parcel_.ElPressure < lfc && shade(cape_, lfc, *parcel_.ElPressure, true))
            capeShade_ = std::make_pair(lfc, *parcel_.ElPressure);
        if (parcel_.StartPressure > lfc && shade(cin_, parcel_.StartPressure, lfc, false))
            cinShade_ = std::make_pair(parcel_.StartPressure, lfc);
    }

    // LCL, LFC and EL: a short tick and a name right of the profile.
    const std::optional<double> levels[3] = {
        parcel_.Valid && parcel_.LclPressure > 0 ? std::optional<double>(parcel_.LclPressure) : std::nullopt,
        parcel_.Valid ? parcel_.LfcPressure : std::nullopt, parcel_.Valid ? parcel_.ElPressure : std::nullopt};
    for (int i = 0; i < 3; ++i) {
        bool shown = false;
        if (hasSounding_ && levels[i] && *levels[i] <= bottom_ && *levels[i] >= top_) {
            const double p = *levels[i];
            double t = ProfileAt(p_, t_, p);
            const double tp = ProfileAt(pp, pt, p);
            if (std::isnan(t) || (!std::isnan(tp) && tp > t)) t = tp;
            if (!std::isnan(t)) {
                const QPointF at = tr.Pixel(t, p);
                const double y = TSkewTransform::Y(p);
                levelTicks_[i]->start->setCoords(tr.XAt(at.x() + 4), y);
                levelTicks_[i]->end->setCoords(tr.XAt(at.x() + 16), y);
                levelLabels_[i]->position->setCoords(tr.XAt(at.x() + 18), y);
                shown = true;
            }
        }
        levelTicks_[i]->setVisible(shown);
        levelLabels_[i]->setVisible(shown);
    }

    // The heights of the labelled pressures for this launch.
    for (std::size_t i = 0; i < heightLabels_.size(); ++i) {
        const double p = heightPressures_[i];
        const double z = hasSounding_ && p <= bottom_ && p >= tr.ShownTop() * (1 - 1e-9) ? ProfileAt(p_, z_, p) : kNaN;
        heightLabels_[i]->setVisible(!std::isnan(z));
        if (!std::isnan(z))
            heightLabels_[i]->setText(QString::fromStdString(Fixed(z / 1000, z < 10000 ? 2 : 1) + " km"));
    }
    UpdateLayerMark(tr);
    PlaceHodograph(tr);
    UpdateBarbs(tr);
    PlaceBox(tr);
}

void TSkewT::UpdateBarbs(const TSkewTransform& T)
{
    barbs_.clear();
    barbLayer_->Barbs.clear();
    barbSize_ = size();
    const double stationX = BarbColumn(T);
    const double shownTop = T.ShownTop() * (1 - 1e-9);
    QRectF previous;
    bool hasPrevious = false;
    if (hasSounding_) {
        // The levels with wind, from the bottom up.
        std::vector<const TSoundingLevel*> winds;
        for (const TSoundingLevel& l : sounding_.Levels)
            if (Present(l.Pressure) && Present(l.WindDirection) && Present(l.WindSpeed) && l.WindSpeed >= 0 &&
                l.Pressure <= bottom_ && l.Pressure >= shownTop)
                winds.push_back(&l);
        std::stable_sort(winds.begin(), winds.end(),
                         [](const TSoundingLevel* A, const TSoundingLevel* B) { return A->Pressure > B->Pressure; });
        for (const TSoundingLevel* l : winds) {
            const double knots = l->WindSpeed * kKnotsPerMs;
            const QPointF station(stationX, T.Pixel(0, l->Pressure).y());
            const TBarbGlyph glyph = BarbGlyph(knots);
            const std::vector<QPointF> path = BarbPath(glyph, l->WindDirection, station, southern_);
            double left = path.front().x(), right = left, top = path.front().y(), bottom = top;
            for (const QPointF& q : path) {
                left = std::min(left, q.x());
                right = std::max(right, q.x());
                top = std::min(top, q.y());
                bottom = std::max(bottom, q.y());
            }
            const QRectF box = QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-1, -1, 1, 1);
            if (hasPrevious && box.intersects(previous)) continue;
            previous = box;
            hasPrevious = true;
            // Under the hodograph's inset a barb would not be seen (it still
            // thins those above it, as without the inset).
            if (hodographLayer_->Rect && box.intersects(*hodographLayer_->Rect)) continue;
            barbs_.push_back({l->Pressure, knots, l->WindDirection, box});
            barbLayer_->Barbs.emplace_back(path, glyph.Calm);
        }
    }
}

// Where the barbs' stations stand across: right of the span the traces keep
// to, or at the right edge.
double TSkewT::BarbColumn(const TSkewTransform& T) const
{
    return std::min(T.Area().right() - BarbStaff - 6, T.PixelOf(spanHigh_, 0).x() + BarbStaff + 6);
}

// What the hodograph's inset must not cover, as polylines in pixels: the
// temperature, the dew point and the parcel, and a line along each name of
// the parcel's levels and of the mixed layer.
std::vector<std::vector<QPointF>> TSkewT::Obstacles(const TSkewTransform& T) const
{
    std::vector<std::vector<QPointF>> lines;
    const double shownTop = T.ShownTop() * (1 - 1e-9);
    auto trace = [&](const std::vector<double>& Ps, const std::vector<double>& Ts) {
        lines.emplace_back();
        for (std::size_t i = 0; i < Ps.size(); ++i) {
            if (std::isnan(Ts[i]) || Ps[i] > bottom_ || Ps[i] < shownTop) {
                if (!lines.back().empty()) lines.emplace_back();
                continue;
            }
            lines.back().push_back(T.Pixel(Ts[i], Ps[i]));
        }
    };
    trace(p_, t_);
    trace(p_, td_);
    std::vector<double> pp, pt;
    for (const sounding::TParcelPoint& point : parcel_.Path) {
        pp.push_back(point.Pressure);
        pt.push_back(point.Temperature);
    }
    trace(pp, pt);
    auto label = [&](const QCPItemText* Label, double Left) {
        if (!Label->visible()) return;
        const QPointF at = T.PixelOf(Label->position->coords().x(), Label->position->coords().y());
        const double width = QFontMetricsF(Label->font()).horizontalAdvance(Label->text());
        lines.push_back({QPointF(Left, at.y()), QPointF(at.x() + width, at.y())});
    };
    for (int i = 0; i < 3; ++i) label(levelLabels_[i], T.PixelOf(levelTicks_[i]->start->coords().x(), 0).x());
    label(layerLabel_, T.PixelOf(layerLabel_->position->coords().x(), 0).x() - 14);
    return lines;
}

void TSkewT::PlaceHodograph(const TSkewTransform& T)
{
    hodographLayer_->Rect.reset();
    if (!hasSounding_) return;
    const QRectF area = T.Area();
    const double side = std::round(std::min({width() / 4.0, area.width() * 0.45, area.height() * 0.45}));
    constexpr double kGap = 4;
    const double barbLeft = BarbColumn(T) - BarbStaff - 14, barbRight = BarbColumn(T) + BarbStaff + 14;
    const double labelsRight =
        area.left() + QFontMetricsF(heightLabels_.front()->font()).horizontalAdvance("00.00 km") + 8;
    const double top = area.top() + kGap, low = area.bottom() - kGap - side;
    const double beside = std::min(barbLeft, area.right()) - kGap - side;
    const double right = area.right() - kGap - side;
    std::vector<QPointF> corners;
    if (right >= barbRight) corners.emplace_back(right, top);
    // Left of the barbs, else over them (the barbs it covers are left out).
    for (const QPointF& c : {QPointF(beside, top), QPointF(right, top), QPointF(labelsRight + kGap, top),
                             QPointF(labelsRight + kGap, low), QPointF(beside, low)})
        corners.push_back(c);
    std::erase_if(corners, [&](const QPointF& C) { return C.x() < labelsRight || C.x() + side > area.right(); });
    hodographLayer_->Rect = PlaceInset(corners, QSizeF(side, side), Obstacles(T), kGap);
}

QRect TSkewT::HodographRect() const { return hodographLayer_->Rect ? hodographLayer_->Rect->toAlignedRect() : QRect(); }

void TSkewT::SyncGeometry()
{
    const QRect area(QPoint(0, 0), size());
    if (plot_->geometry() != area) plot_->setGeometry(area);
    if (plot_->viewport() != plot_->rect()) plot_->setViewport(plot_->rect());
}

void TSkewT::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    // A hidden diagram gets its resize event late, when it is drawn into an
    // image at the size it has already been drawn at.
    if (drawnSize_ == size()) return;
    SyncGeometry();
    fullDraw_ = true;
    if (isVisible()) Redraw();
}

void TSkewT::Redraw()
{
    SyncGeometry();
    // A new size, range, span or box: the lines behind, the axes and the
    // data are laid out anew.
    const TSkewTransform tr = Transform();
    const std::vector<double> view{tr.XMin(), tr.XMax(), tr.YMin(), tr.YMax()};
    if (view != builtView_) BuildBackground();
    if (barbSize_ != size() || fullDraw_) {
        ApplyRanges();
        UpdateData();
    }
    if (fullDraw_ || drawnSize_ != size()) {
        plot_->replot(QCustomPlot::rpQueuedRefresh);
        drawnSize_ = size();
        fullDraw_ = false;
        dataDirty_ = false;
        ++backgroundDraws_;
        return;
    }
    // The data's buffer alone; the rest is drawn from the buffers as it was.
    if (dataDirty_) plot_->layer("main")->replot();
    dataDirty_ = false;
}

QImage TSkewT::RenderToImage(QSize Size)
{
    if (Size.isEmpty()) return QImage();
    if (Size != size()) resize(Size);
    Redraw();
    const double ratio = plot_->bufferDevicePixelRatio();
    // Opaque: the plot's white background covers every pixel.
    QImage image(Size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    plot_->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

QPoint TSkewT::PointOf(double T, double P) const { return Transform().Pixel(T, P).toPoint(); }

QWidget* TSkewT::MouseSurface() const { return plot_; }

std::string TSkewT::ReadoutAt(QPoint Pos) const
{
    const TSkewTransform tr = Transform();
    const QRect area = tr.Area();
    // The top of the range lies on the row above the area, as QCustomPlot
    // draws it.
    if (!hasSounding_ || Pos.x() < area.left() || Pos.x() > area.right() || Pos.y() < area.top() - 1 ||
        Pos.y() > area.bottom())
        return "";
    const double p = std::clamp(tr.PressureAt(Pos.y()), top_, bottom_);
    std::string text = Fixed(p, 0) + " hPa";
    const double z = ProfileAt(p_, z_, p), t = ProfileAt(p_, t_, p), td = ProfileAt(p_, td_, p);
    if (!std::isnan(z)) text += ", " + Fixed(z / 1000, 2) + " km";
    if (!std::isnan(t)) text += ", T " + Fixed(t, 1) + " C";
    if (!std::isnan(td)) text += ", Td " + Fixed(td, 1) + " C";
    std::vector<double> pp, pt;
    for (const sounding::TParcelPoint& point : parcel_.Path) {
        pp.push_back(point.Pressure);
        pt.push_back(point.Temperature);
    }
    const double tp = ProfileAt(pp, pt, p);
    if (!std::isnan(tp)) text += ", parcel " + Fixed(tp, 1) + " C";
    const double u = ProfileAt(windP_, windU_, p), v = ProfileAt(windP_, windV_, p);
    if (!std::isnan(u) && !std::isnan(v)) {
        const double knots = std::hypot(u, v) * kKnotsPerMs;
        if (BarbGlyph(knots).Calm) {
            text += ", wind calm";
        } else {
            long direction = std::lround(std::atan2(-u, -v) * 180 / M_PI);
            direction = (direction + 359) % 360 + 1;  // 1 .. 360, north as 360
            char wind[48];
            std::snprintf(wind, sizeof wind, ", wind %03ld/%ld kt", direction, std::lround(knots));
            text += wind;
        }
    }
    // The point itself: its temperature, potential temperature and
    // saturation mixing ratio.
    const double tc = tr.TemperatureAt(QPointF(Pos));
    text += "\ncursor " + Fixed(tc, 1) + " C, theta " + Fixed(sounding::PotentialTemperature(tc, p), 1) +
            " K, mixing ratio " + Fixed(sounding::MixingRatio(tc, p), 2) + " g/kg";
    return text;
}

// ---------------------------------------------------------------- box and layer

TSkewTransform TSkewT::Transform() const
{
    return TSkewTransform(size(), bottom_, top_, spanLow_, spanHigh_, BoxLayout().Reserve);
}

// The box's lines as wide as they can be, for a layout that does not move
// from one launch to the next.
const TSkewT::TBoxLayout& TSkewT::BoxLayout() const
{
    const std::vector<double> key{double(width()), double(height()), bottom_,          top_,
                                  spanLow_,        spanHigh_,        double(boxShown_)};
    if (key == boxLayoutKey_) return boxLayout_;
    boxLayoutKey_ = key;
    boxLayout_ = TBoxLayout{};
    // The room stays while no launch is shown: an empty frame of a movie
    // does not move the plot.
    if (!boxShown_) return boxLayout_;
    const QFontMetrics metrics(box_->font());
    const std::string widest[] = {"USM00072403 2016-12-31 12Z",       "Surface-based parcel (1000-1000 hPa)",
                                  "CAPE -0000 J/kg  CIN -0000 J/kg",  "LI -00.0  LCL 1000 hPa",
                                  "LFC 1000 hPa  EL 1000 hPa",        "K -00.0  TT -00.0  PW 00.0 mm",
                                  "Shear 0-6 km 00.0 m/s  STP 00.00", "SRH 0-1 km -000 m2/s2  SCP 00.00"};
    std::vector<int> widths;
    for (const std::string& line : widest)
        widths.push_back(metrics.horizontalAdvance(QString::fromLocal8Bit(line.c_str())));
    const int lines = int(widths.size());
    const QMargins padding = box_->padding();
    const int frame = padding.left() + padding.right() + 2, gap = metrics.horizontalAdvance("    ");
    // Beside the plot on the right, a line a row.
    const int sideWidth = *std::max_element(widths.begin(), widths.end()) + frame;
    TBoxLayout side;
    side.Reserve = QMargins(0, 0, sideWidth + 8, 0);
    for (int i = 0; i < lines; ++i) side.FirstOfRow.push_back(i);
    // Above the plot, as many lines to a row as its width holds.
    TBoxLayout above;
    above.Above = true;
    const int room = width() - TSkewTransform::MarginLeft - TSkewTransform::MarginRight - frame;
    int used = 0;
    for (int i = 0; i < lines; ++i) {
        if (i == 0 || used + gap + widths[std::size_t(i)] > room) {
            above.FirstOfRow.push_back(i);
            used = widths[std::size_t(i)];
        } else {
            used += gap + widths[std::size_t(i)];
        }
    }
    const int rowsHeight = int(above.FirstOfRow.size()) * metrics.lineSpacing() + padding.top() + padding.bottom() + 2;
    above.Reserve = QMargins(0, rowsHeight + 4, 0, 0);
    // Whichever leaves the plot the larger.
    const double aboveScale =
        TSkewTransform(size(), bottom_, top_, spanLow_, spanHigh_, above.Reserve).PixelsPerDegree();
    const double sideScale = TSkewTransform(size(), bottom_, top_, spanLow_, spanHigh_, side.Reserve).PixelsPerDegree();
    const bool sideFits = lines * metrics.lineSpacing() + 8 <= height() - TSkewTransform::MarginBottom;
    boxLayout_ = sideFits && sideScale > aboveScale ? side : above;
    return boxLayout_;
}

void TSkewT::PlaceBox(const TSkewTransform& T)
{
    const TBoxLayout& layout = BoxLayout();
    const bool shown = boxShown_ && hasSounding_;
    box_->setVisible(shown);
    if (!shown) return;
    const std::vector<std::string> lines = BoxLines();
    const std::vector<int>& first = layout.FirstOfRow;
    std::string text;
    for (std::size_t row = 0; row < first.size(); ++row) {
        const std::size_t end = row + 1 < first.size() ? std::size_t(first[row + 1]) : lines.size();
        if (row > 0) text += '\n';
        for (std::size_t i = std::size_t(first[row]); i < end; ++i)
            text += (i == std::size_t(first[row]) ? "" : "    ") + lines[i];
    }
    box_->setText(QString::fromLocal8Bit(text.c_str()));
    if (layout.Above)
        box_->position->setCoords(T.Area().left(),
                                  T.Area().top() - TSkewTransform::MarginTop - layout.Reserve.top() + 4);
    else
        box_->position->setCoords(width() - TSkewTransform::MarginRight - layout.Reserve.right() + 8, T.Area().top());
}

QRect TSkewT::BoxRect() const
{
    if (!box_->visible()) return QRect();
    return QRectF(box_->topLeft->pixelPosition(), box_->bottomRight->pixelPosition()).toAlignedRect();
}

void TSkewT::UpdateLayerMark(const TSkewTransform& T)
{
    layerCurve_->data()->clear();
    layerLabel_->setVisible(false);
    if (!layerMark_) return;
    const auto [bottom, top] = *layerMark_;
    // Right of the air and of the parcel's start over the layer.
    double right = T.Pixel(parcel_.StartTemperature, parcel_.StartPressure).x();
    for (double p : {bottom, top}) {
        const double t = ProfileAt(p_, t_, p);
        if (!std::isnan(t)) right = std::max(right, T.Pixel(t, p).x());
    }
    for (std::size_t i = 0; i < p_.size(); ++i)
        if (p_[i] <= bottom && p_[i] >= top && !std::isnan(t_[i])) right = std::max(right, T.Pixel(t_[i], p_[i]).x());
    const double yb = T.Pixel(0, bottom).y(), yt = T.Pixel(0, top).y(), x = right + 10;
    const QPointF bracket[] = {{x - 4, yb}, {x, yb}, {x, yt}, {x - 4, yt}};
    QVector<double> xs, ys;
    for (const QPointF& q : bracket) {
        xs.push_back(T.XAt(q.x()));
        ys.push_back(T.YAt(q.y()));
    }
    layerCurve_->setData(xs, ys);
    // Beside the bracket's middle, or below it when the LCL's name stands
    // there.
    double y = (yb + yt) / 2;
    const double lcl = levelLabels_[0]->visible() ? T.PixelOf(0, levelLabels_[0]->position->coords().y()).y() : -1e9;
    const bool below = std::abs(lcl - y) < QFontMetrics(layerLabel_->font()).height();
    if (below) y = yb;
    layerLabel_->setPositionAlignment(Qt::AlignLeft | (below ? Qt::AlignTop : Qt::AlignVCenter));
    layerLabel_->position->setCoords(T.XAt(x + 3), T.YAt(y));
    layerLabel_->setVisible(true);
}

void TSkewT::MouseMove(QMouseEvent* Event)
{
    hoverAt_ = plot_->mapTo(this, Event->position().toPoint());
    if (OnHover) OnHover(ReadoutAt(*hoverAt_));
}

}  // namespace chart
