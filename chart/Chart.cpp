#include "chart/Chart.h"

#include "chart/Series.h"
#include "chart/ValueMarks.h"

#include <qcustomplot.h>

#include <QMetaObject>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const char* const MinimumMessage = "Axis Minimum Value must be <= Maximum";
const char* const MaximumMessage = "Axis Maximum Value must be >= Minimum";

}  // namespace

// The chart's panel colour, painted as the first thing into the plot's paint
// buffer rather than by the plot's paint event: the buffer is then opaque,
// and the picture is the same whatever it is painted onto.
class TChartPanel : public QCPLayerable {
public:
    TChartPanel(QCustomPlot* Plot, const QString& Layer) : QCPLayerable(Plot, Layer) {}
    void SetColor(const QColor& C) { color_ = C; }
    bool Opaque() const { return color_.alpha() == 255; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter*) const override {}
    void draw(QCPPainter* Painter) override { Painter->fillRect(mParentPlot->viewport(), color_); }
    // The plot's layers clip one pixel higher than the rectangle they get;
    // the panel must cover the bottom row as well.
    QRect clipRect() const override { return mParentPlot->viewport().adjusted(0, 0, 0, 1); }

private:
    QColor color_;
};

// ---------------------------------------------------------------- title

void TChartTitle::SetText(const std::vector<std::string>& V)
{
    text_ = V;
    chart_.ApplyTitle();
    chart_.Invalidate();
}

void TChartTitle::SetFont(const TChartFont& V)
{
    font_ = V;
    chart_.ApplyTitle();
    chart_.Invalidate();
}

void TChartTitle::SetVisible(bool V)
{
    visible_ = V;
    chart_.ApplyTitle();
    chart_.Invalidate();
}

// ---------------------------------------------------------------- axes

void TChartAxis::SetAutomatic(bool V)
{
    automatic_ = V;
    chart_.Invalidate();
}

void TChartAxis::SetMinimum(double V)
{
    if (!std::isfinite(V) || V > maximum_) throw EChartException(MinimumMessage);
    minimum_ = V;
    chart_.ApplyAxisRange(*this);
    chart_.Invalidate();
}

void TChartAxis::SetMaximum(double V)
{
    if (!std::isfinite(V) || V < minimum_) throw EChartException(MaximumMessage);
    maximum_ = V;
    chart_.ApplyAxisRange(*this);
    chart_.Invalidate();
}

void TChartAxis::SetMinMax(double Min, double Max)
{
    if (!std::isfinite(Min) || !std::isfinite(Max) || Min > Max) throw EChartException(MinimumMessage);
    minimum_ = Min;
    maximum_ = Max;
    chart_.ApplyAxisRange(*this);
    chart_.Invalidate();
}

void TChartAxis::SetAutomaticRange(double Min, double Max)
{
    minimum_ = Min;
    maximum_ = Max;
    chart_.ApplyAxisRange(*this);
}

void TChartAxis::SetTitle(const std::string& V)
{
    title_ = V;
    axis_->setLabel(chartstyle::ToQString(V));
    chart_.Invalidate();
}

// ---------------------------------------------------------------- legend, wall

void TChartLegend::SetVisible(bool V)
{
    visible_ = V;
    chart_.plot_->legend->setVisible(V);
    chart_.Invalidate();
}

void TChartWall::SetColor(TColor V)
{
    color_ = V;
    SetBrushClear(brushClear_);
}

void TChartWall::SetBrushClear(bool V)
{
    brushClear_ = V;
    chart_.plot_->axisRect()->setBackground(V ? QBrush(Qt::NoBrush) : QBrush(ToQColor(color_)));
    chart_.Invalidate();
}

// ---------------------------------------------------------------- chart

TChart::TChart(QWidget* Parent)
    : QWidget(Parent),
      plot_(new QCustomPlot(this)),
      titleElement_(new QCPTextElement(plot_)),
      marks_(nullptr),
      title_(*this),
      bottomAxis_(*this, plot_->xAxis),
      leftAxis_(*this, plot_->yAxis),
      legend_(*this),
      backWall_(*this)
{
    plot_->setObjectName("Plot");
    // The panel is drawn into the paint buffer instead of the plot's own
    // background.
    plot_->setBackground(QBrush(Qt::NoBrush));
    plot_->addLayer("panel", plot_->layer("background"), QCustomPlot::limBelow);
    panel_ = new TChartPanel(plot_, "panel");
    // The plot covers the whole chart and keeps mouse events from reaching
    // it, so the plot passes on the moves and the menu requests.
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* E) {
        if (OnMouseMove) OnMouseMove(E);
    });
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this, [this](QPoint Pos) {
        if (OnContextMenu) OnContextMenu(plot_->mapToGlobal(Pos));
    });
    plot_->setGeometry(rect());
    // Plain lines like a GDI chart: crisper, and several times cheaper than
    // antialiased ones at a frame rate of tens per second.
    plot_->setNotAntialiasedElements(QCP::aeAll);
    plot_->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    plot_->setAutoAddPlottableToLegend(true);
    panel_->SetColor(ToQColor(color_));

    const QFont AxisFont = chartstyle::ToQFont(TChartFont{});
    for (QCPAxis* A : {plot_->xAxis, plot_->yAxis}) {
        A->setTickLabelFont(AxisFont);
        A->setLabelFont(AxisFont);
    }
    // The title is placed into the layout only while it has text to show.
    titleElement_->setTextFlags(Qt::AlignCenter);

    plot_->addLayer("marks", plot_->layer("main"), QCustomPlot::limAbove);
    // Nothing is drawn on the overlay (no selection rectangles): sharing one
    // paint buffer saves clearing and blending a second full-size one per
    // frame.
    plot_->layer("overlay")->setMode(QCPLayer::lmLogical);
    marks_ = new TValueMarks(*this, plot_, "marks");
    plot_->setCurrentLayer("main");

    legend_.SetVisible(true);
    backWall_.SetBrushClear(false);
    ApplyAxisRange(bottomAxis_);
    ApplyAxisRange(leftAxis_);
    ApplyTitle();

    // Whoever starts a replot (we, or the plot on a resize), the plot draws
    // the current points.
    connect(plot_, &QCustomPlot::beforeReplot, this, [this] { Sync(); });
    connect(plot_, &QCustomPlot::afterReplot, this, [this] {
        drawnSize_ = plot_->viewport().size();
        ++redraws_;
    });
}

TChart::~TChart()
{
    queued_ = true;  // no redraw is queued while the series go
    const QList<TLineSeries*> All = series_;
    for (TLineSeries* S : All) delete S;
    delete plot_;
    plot_ = nullptr;
}

QPointF TChart::ValueToPixel(double X, double Y) const
{
    return {plot_->xAxis->coordToPixel(X), plot_->yAxis->coordToPixel(Y)};
}

QRectF TChart::PlotArea() const { return plot_->axisRect()->rect(); }

std::vector<std::pair<double, double>> TChart::DrawnPoints(const TLineSeries& S) const
{
    std::vector<std::pair<double, double>> Points;
    if (S.chart_ != this || !S.curve_) return Points;
    const QCPCurveDataContainer& Data = *S.curve_->data();
    Points.reserve(std::size_t(Data.size()));
    for (auto It = Data.constBegin(); It != Data.constEnd(); ++It) Points.emplace_back(It->key, It->value);
    return Points;
}

namespace {
const char* const BehindLayer = "behind";
}

void TChart::PlaceBehindOtherSeries(TLineSeries& S)
{
    if (!plot_->layer(BehindLayer)) plot_->addLayer(BehindLayer, plot_->layer("main"), QCustomPlot::limBelow);
    S.curve_->setLayer(BehindLayer);
    Invalidate();
}

bool TChart::BehindOtherSeries(const TLineSeries& S) const { return S.curve_->layer() != plot_->layer("main"); }

QWidget* TChart::MouseSurface() const { return plot_; }

void TChart::SetColor(TColor V)
{
    color_ = V;
    panel_->SetColor(ToQColor(V));
    Invalidate();
}

TLineSeries* TChart::Series(int Index) const
{
    if (Index < 0 || Index >= series_.size()) return nullptr;
    return series_[Index];
}

TLineSeries* TChart::AddLineSeries()
{
    auto* Curve = new QCPCurve(plot_->xAxis, plot_->yAxis);
    auto* S = new TLineSeries(*this, Curve, chartstyle::DefaultSeriesColor(int(series_.size())));
    series_.append(S);
    Invalidate();
    return S;
}

void TChart::Detach(TLineSeries* S)
{
    series_.removeOne(S);
    if (plot_) plot_->removePlottable(S->curve_);
    S->chart_ = nullptr;
    S->curve_ = nullptr;
    Invalidate();
}

void TChart::Invalidate()
{
    if (!plot_) return;
    dirty_ = true;
    if (!queued_) {
        queued_ = true;
        QMetaObject::invokeMethod(
            this, [this] { FlushQueued(); }, Qt::QueuedConnection);
    }
}

void TChart::FlushQueued()
{
    queued_ = false;
    if (!dirty_) return;
    SyncGeometry();
    plot_->replot(QCustomPlot::rpQueuedRefresh);
}

void TChart::Repaint()
{
    SyncGeometry();
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void TChart::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    SyncGeometry();
}

void TChart::SyncGeometry() { SetPlotSize(size()); }

void TChart::SetPlotSize(QSize Size)
{
    // A hidden widget gets its resize events only when it is shown; the plot
    // must have the size now, for drawing into an image.
    const QRect Area(QPoint(0, 0), Size);
    if (plot_->geometry() != Area) plot_->setGeometry(Area);
    if (plot_->viewport() != plot_->rect()) plot_->setViewport(plot_->rect());
}

void TChart::ApplyAxisRange(TChartAxis& A)
{
    double Lower = A.minimum_;
    double Upper = A.maximum_;
    // The plot cannot show an empty range; give a single value some room.
    if (!QCPRange::validRange(Lower, Upper)) {
        const double Pad = std::max(1.0, std::abs(Lower) * 1e-6);
        Lower -= Pad;
        Upper += Pad;
    }
    A.axis_->setRange(Lower, Upper);
}

void TChart::ApplyTitle()
{
    QString Joined;
    for (std::size_t I = 0; I < title_.text_.size(); ++I) {
        if (I > 0) Joined += QLatin1Char('\n');
        Joined += chartstyle::ToQString(title_.text_[I]);
    }
    titleElement_->setText(Joined);
    titleElement_->setFont(chartstyle::ToQFont(title_.font_));
    titleElement_->setTextColor(ToQColor(title_.font_.Color));
    const bool Show = title_.visible_ && !title_.text_.empty();
    if (Show && !titleShown_) {
        plot_->plotLayout()->insertRow(0);
        plot_->plotLayout()->addElement(0, 0, titleElement_);
        titleShown_ = true;
    } else if (!Show && titleShown_) {
        plot_->plotLayout()->take(titleElement_);
        plot_->plotLayout()->simplify();
        titleShown_ = false;
    }
}

void TChart::Sync()
{
    dirty_ = false;
    for (TLineSeries* S : std::as_const(series_)) S->SyncData();
    for (TChartAxis* A : {&bottomAxis_, &leftAxis_}) {
        if (!A->automatic_) continue;
        const bool IsX = A == &bottomAxis_;
        double Lo = std::numeric_limits<double>::infinity();
        double Hi = -Lo;
        for (const TLineSeries* S : std::as_const(series_)) {
            if (!S->Active()) continue;
            const std::vector<double>& V = IsX ? S->x_ : S->y_;
            for (double D : V)
                if (std::isfinite(D)) {
                    Lo = std::min(Lo, D);
                    Hi = std::max(Hi, D);
                }
        }
        if (Lo <= Hi) A->SetAutomaticRange(Lo, Hi);
    }
}

QImage TChart::RenderToImage(QSize Size)
{
    if (Size.isEmpty()) return QImage();
    SyncGeometry();
    // At another size the plot is laid out and drawn at that size for the
    // moment, exactly as a chart of that size would be.
    const bool OtherSize = Size != plot_->size();
    if (OtherSize) SetPlotSize(Size);
    // An up-to-date plot is reused as it stands: the image is then the very
    // pixels the window shows.
    if (dirty_ || drawnSize_ != Size) plot_->replot(QCustomPlot::rpQueuedRefresh);

    const double Ratio = plot_->bufferDevicePixelRatio();
    QImage Image(Size * Ratio, QImage::Format_ARGB32_Premultiplied);
    Image.setDevicePixelRatio(Ratio);
    if (!panel_->Opaque()) Image.fill(Qt::transparent);
    plot_->render(&Image, QPoint(), QRegion(), QWidget::RenderFlags());
    if (OtherSize) {
        SyncGeometry();
        if (drawnSize_ != plot_->size()) plot_->replot(QCustomPlot::rpQueuedRefresh);
    }
    return Image;
}
