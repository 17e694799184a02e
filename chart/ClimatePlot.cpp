#include "chart/ClimatePlot.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Day of the year (of a year without Feb 29) of each month's first day.
constexpr int kMonthStarts[] = {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QSharedPointer<QCPAxisTickerText> MonthTicker()
{
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    for (int M = 0; M < 12; ++M) ticker->addTick(kMonthStarts[M], kMonths[M]);
    return ticker;
}

QVector<double> Days(std::size_t Count)
{
    QVector<double> days(qsizetype(Count), 0);
    for (std::size_t D = 0; D < Count; ++D) days[qsizetype(D)] = double(D + 1);
    return days;
}

}  // namespace

TClimatePlot::TClimatePlot(QWidget* Parent) : QWidget(Parent), plot_(new QCustomPlot(this))
{
    plot_->setObjectName("ClimatePlotArea");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->xAxis->setTicker(MonthTicker());
    plot_->xAxis->setRange(0.5, 365.5);
    plot_->xAxis->setLabel("Day of the year");
    const QColor outer(150, 170, 210, 110), inner(90, 120, 190, 130);
    for (int I = 0; I < 5; ++I) {
        auto* G = new QCPGraph(plot_->xAxis, plot_->yAxis);
        G->setPen(Qt::NoPen);
        band_.push_back(G);
    }
    band_[0]->setName("10-90 %");
    band_[1]->setBrush(outer);
    band_[1]->setChannelFillGraph(band_[0]);
    band_[3]->setBrush(inner);
    band_[3]->setChannelFillGraph(band_[2]);
    band_[4]->setPen(QPen(QColor(30, 50, 120), 2));
    dots_ = new QCPGraph(plot_->xAxis, plot_->yAxis);
    dots_->setLineStyle(QCPGraph::lsNone);
    dots_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, QColor(40, 40, 40), 4));
    current_ = new QCPGraph(plot_->xAxis, plot_->yAxis);
    current_->setLineStyle(QCPGraph::lsNone);
    current_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, QPen(Qt::black, 1.5), QColor("#e02020"), 13));
    notice_ = new QCPItemText(plot_);
    notice_->position->setType(QCPItemPosition::ptAxisRectRatio);
    notice_->position->setCoords(0.5, 0.12);
    notice_->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    notice_->setPadding(QMargins(6, 4, 6, 4));
    notice_->setBrush(QColor(255, 255, 230));
    notice_->setPen(QPen(QColor(120, 120, 120)));
    plot_->legend->setVisible(false);
}

std::string TClimatePlot::Notice() const
{
    return notice_->visible() ? notice_->text().toLocal8Bit().toStdString() : std::string();
}

void TClimatePlot::SetYear(const TClimateYear& Year)
{
    const std::vector<double>* edges[] = {&Year.P10, &Year.P90, &Year.P25, &Year.P75, &Year.P50};
    bandsShown_ =
        Year.Notice.empty() && std::any_of(Year.P50.begin(), Year.P50.end(), [](double V) { return std::isfinite(V); });
    for (std::size_t I = 0; I < band_.size(); ++I) {
        const std::vector<double>& v = *edges[I];
        band_[I]->setData(Days(v.size()), QVector<double>(v.begin(), v.end()), true);
        band_[I]->setVisible(bandsShown_);
    }
    dots_->setData(QVector<double>(Year.DotDay.begin(), Year.DotDay.end()),
                   QVector<double>(Year.DotValue.begin(), Year.DotValue.end()), true);
    const bool current = std::isfinite(Year.CurrentValue);
    current_->setData(QVector<double>{Year.CurrentDay}, QVector<double>{Year.CurrentValue}, true);
    current_->setVisible(current);
    notice_->setText(QString::fromLocal8Bit(Year.Notice.c_str()));
    notice_->setVisible(!Year.Notice.empty());
    plot_->yAxis->setLabel(QString::fromLocal8Bit(Year.ValueTitle.c_str()));
    // The value axis fits what is drawn.
    double low = INFINITY, high = -INFINITY;
    const auto take = [&](const std::vector<double>& V) {
        for (const double X : V)
            if (std::isfinite(X)) low = std::min(low, X), high = std::max(high, X);
    };
    if (bandsShown_) take(Year.P10), take(Year.P90);
    take(Year.DotValue);
    if (current) take({Year.CurrentValue});
    if (!(low <= high)) low = 0, high = 1;
    const double pad = std::max(0.05 * (high - low), 0.5);
    plot_->yAxis->setRange(low - pad, high + pad);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

QImage TClimatePlot::RenderToImage(QSize Size)
{
    if (Size.isEmpty()) return QImage();
    return plot_->toPixmap(Size.width(), Size.height()).toImage();
}
