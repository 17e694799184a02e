// The climate bands of the skew-T diagram: a closed outline from the lower
// percentile up and the upper one back down, filled light, and the median
// dashed, for temperature and dew point alike.

#include "chart/SkewT.h"

#include <qcustomplot.h>

namespace chart {

void TSkewT::CreateBands()
{
    const QColor fills[2][2] = {{QColor(230, 90, 90, 45), QColor(230, 90, 90, 60)},
                                {QColor(60, 160, 60, 45), QColor(60, 160, 60, 60)}};
    const QColor medians[2] = {QColor(190, 40, 40), QColor(30, 120, 30)};
    for (int q = 0; q < 2; ++q) {
        for (int b = 0; b < 2; ++b) {
            QCPCurve* band = NewCurve(true);
            band->setPen(Qt::NoPen);
            band->setBrush(fills[q][b]);
            band->setVisible(false);
            bands_.push_back(band);
        }
        QCPCurve* median = NewCurve(true);
        median->setPen(QPen(medians[q], 1, Qt::DashLine));
        median->setVisible(false);
        bands_.push_back(median);
    }
}

void TSkewT::SetClimateBands(const TClimateBand& Temperature, const TClimateBand& DewPoint)
{
    const auto outline = [](QCPCurve* Curve, const std::vector<double>& Ps, const std::vector<double>& Low,
                            const std::vector<double>& High) {
        QVector<double> xs, ys;
        for (std::size_t i = 0; i < Ps.size(); ++i)
            xs << TSkewTransform::X(Low[i], Ps[i]), ys << TSkewTransform::Y(Ps[i]);
        for (std::size_t i = Ps.size(); i-- > 0;)
            xs << TSkewTransform::X(High[i], Ps[i]), ys << TSkewTransform::Y(Ps[i]);
        Curve->setData(xs, ys);
    };
    const TClimateBand* bands[2] = {&Temperature, &DewPoint};
    for (int q = 0; q < 2; ++q) {
        const TClimateBand& b = *bands[q];
        QCPCurve** c = &bands_[std::size_t(q) * 3];
        outline(c[0], b.Height, b.P10, b.P90);
        outline(c[1], b.Height, b.P25, b.P75);
        QVector<double> xs, ys;
        for (std::size_t i = 0; i < b.Height.size(); ++i)
            xs << TSkewTransform::X(b.P50[i], b.Height[i]), ys << TSkewTransform::Y(b.Height[i]);
        c[2]->setData(xs, ys);
        for (int i = 0; i < 3; ++i) c[i]->setVisible(!b.Empty());
    }
    fullDraw_ = true;
    Redraw();
}

bool TSkewT::ClimateBandsShown() const { return !bands_.empty() && (bands_[0]->visible() || bands_[3]->visible()); }

}  // namespace chart
