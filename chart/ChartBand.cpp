// The climate band behind the chart's series: graphs keyed by height along
// the left axis (so that a band between two of them fills across the
// temperatures), on a layer below every series.

#include "chart/Chart.h"

#include <qcustomplot.h>

namespace {

const char* const BandLayer = "climate";

QVector<double> Values(const std::vector<double>& V) { return QVector<double>(V.begin(), V.end()); }

}  // namespace

void TChart::SetClimateBand(const TClimateBand& Band)
{
    if (band_.empty() && Band.Empty()) return;
    if (band_.empty()) {
        plot_->addLayer(BandLayer, plot_->layer("grid"), QCustomPlot::limAbove);
        const QColor outer(150, 170, 210, 70), inner(110, 140, 200, 90);
        // p10, p90, p25, p75, p50: each pair fills between its two edges.
        for (int I = 0; I < 5; ++I) {
            auto* G = new QCPGraph(plot_->yAxis, plot_->xAxis);
            G->removeFromLegend();
            G->setLayer(BandLayer);
            G->setPen(Qt::NoPen);
            band_.push_back(G);
        }
        band_[1]->setBrush(outer);
        band_[1]->setChannelFillGraph(band_[0]);
        band_[3]->setBrush(inner);
        band_[3]->setChannelFillGraph(band_[2]);
        band_[4]->setPen(QPen(QColor(60, 80, 140), 1, Qt::DashLine));
    }
    const QVector<double> heights = Values(Band.Height);
    const std::vector<double>* edges[] = {&Band.P10, &Band.P90, &Band.P25, &Band.P75, &Band.P50};
    for (std::size_t I = 0; I < band_.size(); ++I) {
        band_[I]->setData(heights, Values(*edges[I]), true);
        band_[I]->setVisible(!Band.Empty());
    }
    Invalidate();
}

bool TChart::ClimateBandShown() const { return !band_.empty() && band_.front()->visible(); }
