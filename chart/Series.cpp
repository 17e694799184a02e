#include "chart/Series.h"

#include "chart/Chart.h"
#include "chart/ChartStyle.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Orders X values with NaN after every number, so that sorting stays a
// strict weak ordering whatever the points hold.
bool XLess(double A, double B)
{
    if (std::isnan(A))
        return false;
    return std::isnan(B) || A < B;
}

constexpr double MarkerSize = 7;

}  // namespace

TLineSeries::TLineSeries(TChart& Chart, QCPCurve* Curve, TColor Color)
    : QObject(&Chart), chart_(&Chart), curve_(Curve), color_(Color)
{
    ApplyStyle();
}

TLineSeries::~TLineSeries()
{
    if (chart_)
        chart_->Detach(this);
}

void TLineSeries::ApplyStyle()
{
    const QColor C = ToQColor(color_);
    curve_->setPen(QPen(C, 1));
    curve_->setName(chartstyle::ToQString(title_));
    curve_->setVisible(active_);
    curve_->setScatterStyle(pointerVisible_
                                ? QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(C, 1), QBrush(C), MarkerSize)
                                : QCPScatterStyle(QCPScatterStyle::ssNone));
}

void TLineSeries::Changed()
{
    if (chart_)
        chart_->Invalidate();
}

void TLineSeries::SetTitle(const std::string& V)
{
    title_ = V;
    ApplyStyle();
    Changed();
}

void TLineSeries::SetColor(TColor V)
{
    color_ = V;
    ApplyStyle();
    Changed();
}

void TLineSeries::SetActive(bool V)
{
    active_ = V;
    ApplyStyle();
    Changed();
}

void TLineSeries::SetPointerVisible(bool V)
{
    pointerVisible_ = V;
    ApplyStyle();
    Changed();
}

void TLineSeries::SetMarksVisible(bool V)
{
    marksVisible_ = V;
    Changed();
}

void TLineSeries::SetXOrder(TChartXOrder V)
{
    if (V == xOrder_)
        return;
    xOrder_ = V;
    if (V == TChartXOrder::Ascending && !std::is_sorted(x_.begin(), x_.end(), XLess)) {
        // Keep the invariant that later insertions rely on.
        std::vector<std::size_t> Order(x_.size());
        std::iota(Order.begin(), Order.end(), std::size_t{0});
        std::stable_sort(Order.begin(), Order.end(),
                         [this](std::size_t A, std::size_t B) { return XLess(x_[A], x_[B]); });
        std::vector<double> X, Y;
        X.reserve(Order.size());
        Y.reserve(Order.size());
        for (std::size_t I : Order) {
            X.push_back(x_[I]);
            Y.push_back(y_[I]);
        }
        x_.swap(X);
        y_.swap(Y);
        dataDirty_ = true;
        Changed();
    }
}

void TLineSeries::Clear()
{
    x_.clear();
    y_.clear();
    dataDirty_ = true;
    Changed();
}

void TLineSeries::AddXY(double X, double Y)
{
    if (xOrder_ == TChartXOrder::Ascending && !x_.empty() && XLess(X, x_.back())) {
        const auto At = std::upper_bound(x_.begin(), x_.end(), X, XLess);
        const auto Pos = At - x_.begin();
        x_.insert(At, X);
        y_.insert(y_.begin() + Pos, Y);
    } else {
        x_.push_back(X);
        y_.push_back(Y);
    }
    dataDirty_ = true;
    Changed();
}

void TLineSeries::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EChartException("List index out of bounds (" + std::to_string(Index) + ")");
}

double TLineSeries::XValue(int Index) const
{
    CheckIndex(Index);
    return x_[std::size_t(Index)];
}

double TLineSeries::YValue(int Index) const
{
    CheckIndex(Index);
    return y_[std::size_t(Index)];
}

void TLineSeries::SetXValue(int Index, double V)
{
    CheckIndex(Index);
    x_[std::size_t(Index)] = V;
    dataDirty_ = true;
    Changed();
}

void TLineSeries::SyncData()
{
    if (!dataDirty_)
        return;
    dataDirty_ = false;
    // One hand-over of all points; t is the index, so the curve keeps them
    // in our order.
    QVector<QCPCurveData> Data;
    Data.reserve(qsizetype(x_.size()));
    for (std::size_t I = 0; I < x_.size(); ++I)
        Data.append(QCPCurveData(double(I), x_[I], y_[I]));
    curve_->data()->set(Data, true);
}
