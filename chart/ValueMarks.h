#pragma once
// The value marks of all series, drawn by one layerable above the curves: a
// short arrow up from each point and a small label with the point's Y value.
// It draws nothing unless some shown series has its marks switched on.

#include <qcustomplot.h>

class TChart;

class TValueMarks : public QCPLayerable {
public:
    // Length of the arrow from a point to its label, in pixels.
    static constexpr int ArrowLength = 8;

    TValueMarks(TChart& Chart, QCustomPlot* Plot, const QString& Layer);
    // True when drawing would show at least one mark.
    bool AnyVisible() const;

protected:
    void applyDefaultAntialiasingHint(QCPPainter* Painter) const override;
    void draw(QCPPainter* Painter) override;
    QRect clipRect() const override;

private:
    TChart& chart_;
    QFont font_;
};
