#include "chart/SkewT.h"

#include "sounding/Heights.h"
#include "sounding/Thermo.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace chart {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kKnotsPerMs = 3600.0 / 1852.0;

// The labelled pressures, hPa.
constexpr double kLabelledPressures[] = {1000, 850, 700, 500, 400, 300, 250, 200, 150, 100};
constexpr double kMixingRatios[] = {1, 2, 4, 8, 12, 16, 20};  // g/kg
constexpr double kMixingRatioTop = 600;                       // hPa

bool Present(float V) { return V != MissingValue; }

std::string Fixed(double V, int Decimals)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", Decimals, V);
    return buffer;
}

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

TSkewTransform::TSkewTransform(QSize Size, double PressureBottom, double PressureTop)
    : area_(MarginLeft, MarginTop, std::max(1, Size.width() - MarginLeft - MarginRight),
            std::max(1, Size.height() - MarginTop - MarginBottom)),
      bottom_(PressureBottom),
      top_(PressureTop)
{
    yMin_ = Y(bottom_);
    yMax_ = Y(top_);
    const double pixelsPerLogP = area_.height() / (yMax_ - yMin_);
    const double pixelsPerDegree = pixelsPerLogP / Skew();
    xMin_ = LeftTemperature + Skew() * yMin_;
    xMax_ = xMin_ + area_.width() / pixelsPerDegree;
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

std::vector<QPointF> BarbPath(const TBarbGlyph& Glyph, double DirectionDeg, QPointF Station)
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
    // The marks stand on the clockwise side of the staff, leaning outwards.
    const QPointF side(-u.y(), u.x());
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

    QCPAxisRect* rect = plot_->axisRect();
    rect->setAutoMargins(QCP::msNone);
    rect->setMargins(QMargins(TSkewTransform::MarginLeft, TSkewTransform::MarginTop, TSkewTransform::MarginRight,
                              TSkewTransform::MarginBottom));
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
    box_ = new QCPItemText(plot_);
    box_->position->setType(QCPItemPosition::ptAxisRectRatio);
    box_->position->setCoords(0.01, 0.01);
    box_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    box_->setTextAlignment(Qt::AlignLeft);
    box_->setBrush(QColor(255, 255, 255, 230));
    box_->setPen(QPen(QColor(150, 150, 150)));
    box_->setPadding(QMargins(5, 3, 5, 3));
    box_->setVisible(false);
    note_ = new QCPItemText(plot_);
    note_->position->setType(QCPItemPosition::ptAxisRectRatio);
    note_->position->setCoords(0.5, 0.45);
    note_->setPositionAlignment(Qt::AlignCenter);
    note_->setBrush(QColor(255, 255, 255, 230));
    note_->setPadding(QMargins(6, 4, 6, 4));

    BuildBackground();
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this, &TSkewT::MouseMove);
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* Event) {
        if (Event->button() == Qt::RightButton && OnContextMenu) OnContextMenu(Event->globalPosition().toPoint());
    });
    resize(SkewTWidth, SkewTHeight);
    ShowSounding(nullptr);
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
    const std::vector<double> ps = LogSteps(bottom_, top_, 40);
    // Isotherms every 10 C, the 0 C one a little stronger.
    for (int t = -150; t <= 60; t += 10)
        add({{t, bottom_}, {t, top_}}, t == 0 ? QPen(QColor(110, 110, 160), 1.2) : QPen(QColor(205, 205, 205), 1));
    // Dry adiabats every 10 K.
    for (int theta = 230; theta <= 500; theta += 10) {
        std::vector<std::pair<double, double>> line;
        for (double p : ps) line.emplace_back(sounding::DryAdiabatTemperature(theta, p), p);
        add(line, QPen(QColor(230, 195, 160), 1));
    }
    // Saturated adiabats every 4 C at 1000 hPa, by the indices' own function.
    for (int t0 = -40; t0 <= 44; t0 += 4) {
        std::vector<std::pair<double, double>> line;
        for (double p : ps) line.emplace_back(sounding::MoistAdiabatTemperature(t0, 1000, p), p);
        add(line, QPen(QColor(150, 200, 150), 1));
    }
    // Mixing-ratio lines up to 600 hPa.
    const std::vector<double> low = LogSteps(bottom_, std::max(top_, kMixingRatioTop), 8);
    for (double w : kMixingRatios) {
        std::vector<std::pair<double, double>> line;
        for (double p : low) line.emplace_back(sounding::DewPointOfMixingRatio(w, p), p);
        add(line, QPen(QColor(175, 150, 210), 1, Qt::DashLine));
    }
    ApplyRanges();
    fullDraw_ = true;
}

bool TSkewT::SetPressureRange(double Bottom, double Top)
{
    if (!(Bottom <= 1100 && Bottom > Top && Top >= 10)) return false;
    if (Bottom == bottom_ && Top == top_) return true;
    bottom_ = Bottom;
    top_ = Top;
    BuildBackground();
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

void TSkewT::SetSmooth(bool V)
{
    if (V == smooth_) return;
    smooth_ = V;
    plot_->setNotAntialiasedElements(V ? QCP::AntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeItems)
                                       : QCP::AntialiasedElements(QCP::aeAll));
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
    plot_->xAxis->setRange(tr.XMin(), tr.XMax());
    plot_->yAxis->setRange(tr.YMin(), tr.YMax());
    plot_->xAxis2->setRange(tr.XMin(), tr.XMax());
    plot_->yAxis2->setRange(tr.YMin(), tr.YMax());
    QSharedPointer<QCPAxisTickerText> left(new QCPAxisTickerText);
    for (double p : kLabelledPressures)
        if (p <= bottom_ && p >= top_) left->addTick(TSkewTransform::Y(p), QString::number(p));
    plot_->yAxis->setTicker(left);
    // The bottom axis names the isotherms where they meet it.
    QSharedPointer<QCPAxisTickerText> bottom(new QCPAxisTickerText);
    for (int t = -150; t <= 80; t += 10) {
        const double x = TSkewTransform::X(t, bottom_);
        if (x >= tr.XMin() - 1e-9 && x <= tr.XMax() + 1e-9) bottom->addTick(x, QString::number(t));
    }
    plot_->xAxis->setTicker(bottom);
    for (std::size_t i = 0; i < heightLabels_.size(); ++i) {
        heightLabels_[i]->position->setCoords(0.004, TSkewTransform::Y(heightPressures_[i]));
        // A label at the top edge hangs below it.
        const bool atTop = tr.Pixel(0, heightPressures_[i]).y() - tr.Area().top() < 8;
        heightLabels_[i]->setPositionAlignment(Qt::AlignLeft | (atTop ? Qt::AlignTop : Qt::AlignVCenter));
    }
}

void TSkewT::ShowSounding(const TSounding* Sounding, const std::string& Note)
{
    hasSounding_ = false;
    p_.clear();
    t_.clear();
    td_.clear();
    z_.clear();
    parcel_ = sounding::TParcel{};
    parcel_.Kind = kind_;
    indices_ = sounding::TIndices{};
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
        for (std::size_t i : order) {
            const TSoundingLevel& l = sounding_.Levels[i];
            p_.push_back(l.Pressure);
            t_.push_back(Present(l.Temperature) ? l.Temperature : kNaN);
            td_.push_back(Present(l.Temperature) && Present(l.DewPointDiff) ? l.Temperature - l.DewPointDiff : kNaN);
            const float z = sounding::LevelHeight(l);
            z_.push_back(Present(z) ? z : kNaN);
        }
        hasSounding_ = !p_.empty();
    }
    if (hasSounding_) {
        parcel_ = sounding::LiftParcel(sounding_, kind_, false, top_);
        indices_ = sounding::ComputeIndices(sounding_);
        box_->setText(QString::fromLocal8Bit(BoxText().c_str()));
    } else {
        note_->setText(QString::fromLocal8Bit(Note.c_str()));
    }
    note_->setVisible(!hasSounding_);
    box_->setVisible(hasSounding_);
    UpdateData();
    Redraw();
}

std::string TSkewT::BoxText() const
{
    std::optional<double> cape = indices_.Cape, cin = indices_.Cin;
    const char* parcel = "mixed layer";
    if (kind_ == sounding::TParcelKind::SurfaceBased) {
        cape = indices_.CapeSurface;
        cin = indices_.CinSurface;
        parcel = "surface";
    } else if (kind_ == sounding::TParcelKind::MostUnstable) {
        cape = indices_.CapeMostUnstable;
        cin = indices_.CinMostUnstable;
        parcel = "most unstable";
    }
    return sounding_.Title + "\nCAPE " + Number(cape, 0, " J/kg") + "  CIN " + Number(cin, 0, " J/kg") + " (" + parcel +
           ")\nLI " + Number(indices_.LiftedIndex, 1) + "  K " + Number(indices_.KIndex, 1) + "  TT " +
           Number(indices_.TotalsTotals, 1) + "\nPW " + Number(indices_.PrecipitableWater, 1, " mm") + "  LCL " +
           Number(indices_.LclPressure, 0, " hPa");
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
        const double z = hasSounding_ && p <= bottom_ && p >= top_ ? ProfileAt(p_, z_, p) : kNaN;
        heightLabels_[i]->setVisible(!std::isnan(z));
        if (!std::isnan(z))
            heightLabels_[i]->setText(QString::fromStdString(Fixed(z / 1000, z < 10000 ? 2 : 1) + " km"));
    }
    UpdateBarbs(tr);
}

void TSkewT::UpdateBarbs(const TSkewTransform& T)
{
    barbs_.clear();
    barbSize_ = size();
    std::size_t used = 0;
    const double stationX = T.Area().right() - BarbStaff - 6;
    QRectF previous;
    if (hasSounding_) {
        // The levels with wind, from the bottom up.
        std::vector<const TSoundingLevel*> winds;
        for (const TSoundingLevel& l : sounding_.Levels)
            if (Present(l.Pressure) && Present(l.WindDirection) && Present(l.WindSpeed) && l.WindSpeed >= 0 &&
                l.Pressure <= bottom_ && l.Pressure >= top_)
                winds.push_back(&l);
        std::stable_sort(winds.begin(), winds.end(),
                         [](const TSoundingLevel* A, const TSoundingLevel* B) { return A->Pressure > B->Pressure; });
        for (const TSoundingLevel* l : winds) {
            const double knots = l->WindSpeed * kKnotsPerMs;
            const QPointF station(stationX, T.Pixel(0, l->Pressure).y());
            const std::vector<QPointF> path = BarbPath(BarbGlyph(knots), l->WindDirection, station);
            double left = path.front().x(), right = left, top = path.front().y(), bottom = top;
            for (const QPointF& q : path) {
                left = std::min(left, q.x());
                right = std::max(right, q.x());
                top = std::min(top, q.y());
                bottom = std::max(bottom, q.y());
            }
            const QRectF box = QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-1, -1, 1, 1);
            if (!barbs_.empty() && box.intersects(previous)) continue;
            previous = box;
            barbs_.push_back({l->Pressure, knots, l->WindDirection, box});
            if (used == barbCurves_.size()) {
                QCPCurve* curve = NewCurve(true);
                curve->setPen(QPen(Qt::black, 1));
                curve->setBrush(Qt::black);
                curve->setAntialiased(false);
                curve->setAntialiasedFill(false);
                barbCurves_.push_back(curve);
            }
            QVector<double> xs, ys;
            for (const QPointF& q : path) {
                xs.push_back(T.XAt(q.x()));
                ys.push_back(T.YAt(q.y()));
            }
            barbCurves_[used]->setData(xs, ys);
            barbCurves_[used]->setVisible(true);
            ++used;
        }
    }
    for (std::size_t i = used; i < barbCurves_.size(); ++i) barbCurves_[i]->setVisible(false);
}

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
    if (barbSize_ != size()) {
        ApplyRanges();
        UpdateData();
    }
    if (fullDraw_ || drawnSize_ != size()) {
        ApplyRanges();
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
    if (!hasSounding_ || !tr.Area().contains(Pos)) return "";
    const double p = tr.PressureAt(Pos.y());
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
    return text;
}

void TSkewT::MouseMove(QMouseEvent* Event)
{
    if (OnHover) OnHover(ReadoutAt(plot_->mapTo(this, Event->position().toPoint())));
}

}  // namespace chart
