#include "chart/ValueMarks.h"

#include "chart/Chart.h"
#include "chart/ChartStyle.h"
#include "chart/Series.h"

#include <cmath>

TValueMarks::TValueMarks(TChart& Chart, QCustomPlot* Plot, const QString& Layer)
    : QCPLayerable(Plot, Layer), chart_(Chart), font_(chartstyle::ToQFont(TChartFont{}))
{
}

bool TValueMarks::AnyVisible() const
{
    for (const TLineSeries* S : chart_.AllSeries())
        if (S->Active() && S->MarksVisible() && S->Count() > 0)
            return true;
    return false;
}

void TValueMarks::applyDefaultAntialiasingHint(QCPPainter* Painter) const
{
    applyAntialiasingHint(Painter, mAntialiased, QCP::aeOther);
}

QRect TValueMarks::clipRect() const
{
    // Marks stay inside the plotting area, off the axes and their labels.
    return mParentPlot->axisRect()->rect();
}

void TValueMarks::draw(QCPPainter* Painter)
{
    if (!AnyVisible())
        return;
    QCPAxis* XAxis = mParentPlot->xAxis;
    QCPAxis* YAxis = mParentPlot->yAxis;
    const QRect Clip = clipRect();
    Painter->setFont(font_);
    const QFontMetrics Metrics(font_);
    const int TextHeight = Metrics.height();
    const QPen Frame(Qt::black, 1);
    const QBrush Fill(QColor(255, 255, 225));
    for (const TLineSeries* S : chart_.AllSeries()) {
        if (!S->Active() || !S->MarksVisible())
            continue;
        const QPen Arrow(ToQColor(S->Color()), 1);
        for (int I = 0; I < S->Count(); ++I) {
            const double Px = XAxis->coordToPixel(S->XValue(I));
            const double Py = YAxis->coordToPixel(S->YValue(I));
            // Points far off the plot (or not numbers) have no place for a label.
            if (!(std::abs(Px) < 1e6) || !(std::abs(Py) < 1e6))
                continue;
            const QString Text = chartstyle::ToQString(chartstyle::MarkText(S->YValue(I)));
            const int W = Metrics.horizontalAdvance(Text) + 4;
            const QRect Box(int(std::lround(Px)) - W / 2, int(std::lround(Py)) - ArrowLength - TextHeight - 2,
                            W, TextHeight + 2);
            // Labels far outside the plot cost time and show nothing.
            if (!Box.adjusted(0, 0, 0, ArrowLength).intersects(Clip))
                continue;
            Painter->setPen(Arrow);
            Painter->drawLine(QPointF(Px, Py), QPointF(Px, Py - ArrowLength));
            Painter->setPen(Frame);
            Painter->setBrush(Fill);
            Painter->drawRect(Box);
            // Straight to the baseline: no text layout per label.
            Painter->drawText(QPointF(Box.left() + 2, Box.top() + 1 + Metrics.ascent()), Text);
        }
    }
}
