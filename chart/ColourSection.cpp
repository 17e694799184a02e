#include "chart/ColourSection.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Viridis: uniform in lightness and readable with every common colour vision
// deficiency; nine stops are close enough to the full table.
QCPColorGradient ViridisGradient()
{
    QCPColorGradient G;
    G.clearColorStops();
    const std::pair<double, const char*> Stops[] = {
        {0.000, "#440154"}, {0.125, "#482878"}, {0.250, "#3e4989"}, {0.375, "#31688e"}, {0.500, "#26828e"},
        {0.625, "#1f9e89"}, {0.750, "#35b779"}, {0.875, "#6ece58"}, {1.000, "#fde725"},
    };
    for (const auto& [Position, Colour] : Stops) G.setColorStopAt(Position, QColor(Colour));
    G.setColorInterpolation(QCPColorGradient::ciRGB);
    // Empty cells (no launch, no level near that height) stay empty.
    G.setNanHandling(QCPColorGradient::nhTransparent);
    return G;
}

// "2016-01-01" from a title "94610 2016-01-01 00Z"; the title itself when it
// carries no launch time.
QString DateOf(const std::string& Title)
{
    const std::optional<std::int64_t> Hour = LaunchHour(Title);
    return QString::fromStdString(Hour ? LaunchHourText(*Hour).substr(0, 10) : Title);
}

}  // namespace

TColourSection::TColourSection(QWidget* Parent) : QWidget(Parent), plot_(new QCustomPlot(this))
{
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(plot_);

    plot_->xAxis->setLabel("Launch");
    plot_->yAxis->setLabel("Height (m)");
    plot_->axisRect()->setBackground(QColor("#d0d0d0"));  // gaps show as grey

    map_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    map_->setInterpolate(false);
    map_->setTightBoundary(false);
    scale_ = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(0, 1, scale_);
    scale_->setType(QCPAxis::atRight);
    scale_->axis()->setLabel("Temperature (C)");
    map_->setColorScale(scale_);
    map_->setGradient(ViridisGradient());
    map_->setDataRange(QCPRange(temperatureMin_, temperatureMax_));
    auto* Margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    scale_->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);

    // Black dashes on the mid-scale greens at 0 C, white over the dark
    // purples near the tropopause.
    freezing_ = plot_->addGraph();
    freezing_->setName("Freezing level");
    freezing_->setPen(QPen(Qt::black, 2, Qt::DashLine));
    tropopause_ = plot_->addGraph();
    tropopause_->setName("Tropopause");
    tropopause_->setPen(QPen(Qt::white, 2));
    plot_->legend->setVisible(true);
    plot_->legend->removeItem(plot_->legend->itemWithPlottable(map_));
    plot_->legend->setBrush(QColor(255, 255, 255, 200));
    plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    plot_->addLayer("marker", plot_->layer("main"), QCustomPlot::limAbove);
    markerLayer_ = plot_->layer("marker");
    markerLayer_->setMode(QCPLayer::lmBuffered);
    marker_ = new QCPItemStraightLine(plot_);
    marker_->setLayer(markerLayer_);
    marker_->setPen(QPen(QColor("#ff2020"), 2));
    marker_->setAntialiased(false);
    marker_->setVisible(false);

    plot_->setMouseTracking(true);  // hover read-out without a button held
    connect(plot_, &QCustomPlot::mousePress, this, &TColourSection::MousePress);
    connect(plot_, &QCustomPlot::mouseMove, this, &TColourSection::MouseMove);
    SetSection(TTimeHeightSection{});
}

TColourSection::~TColourSection() = default;

void TColourSection::SetSection(const TTimeHeightSection& Section)
{
    section_ = Section;
    const int Columns = section_.Columns, Rows = section_.Rows;
    map_->setVisible(Columns > 0 && Rows > 0);
    freezing_->data()->clear();
    tropopause_->data()->clear();
    if (Columns > 0 && Rows > 0) {
        auto* Data = new QCPColorMapData(Columns, Rows, QCPRange(0, std::max(1, Columns - 1)),
                                         QCPRange(0, section_.HeightMax));
        for (int C = 0; C < Columns; ++C)
            for (int R = 0; R < Rows; ++R) Data->setCell(C, R, section_.Cell(C, R));
        map_->setData(Data, false);
        map_->setDataRange(QCPRange(temperatureMin_, temperatureMax_));
        // NaN breaks a line: a column without the level leaves a gap.
        QVector<double> Keys(Columns), Freezing(Columns), Tropopause(Columns);
        for (int C = 0; C < Columns; ++C) {
            Keys[C] = C;
            Freezing[C] = section_.FreezingLevel[std::size_t(C)];
            Tropopause[C] = section_.TropopauseHeight[std::size_t(C)];
        }
        freezing_->setData(Keys, Freezing, true);
        tropopause_->setData(Keys, Tropopause, true);
    }
    plot_->xAxis->setRange(-0.5, std::max(0, Columns - 1) + 0.5);
    plot_->yAxis->setRange(0, section_.HeightMax > 0 ? section_.HeightMax : 1);
    SetDateTicks();
    PlaceMarker();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TColourSection::SetDateTicks()
{
    QSharedPointer<QCPAxisTickerText> Ticker(new QCPAxisTickerText);
    const int Columns = section_.Columns;
    constexpr int Labels = 6;
    for (int I = 0; I < Labels && Columns > 0; ++I) {
        const int C = Columns > 1 ? int(std::lround(double(I) * (Columns - 1) / (Labels - 1))) : 0;
        Ticker->addTick(C, DateOf(section_.Titles[std::size_t(C)]));
        if (Columns == 1) break;
    }
    plot_->xAxis->setTicker(Ticker);
}

void TColourSection::SetTemperatureRange(double Min, double Max)
{
    if (!(Min < Max)) return;
    temperatureMin_ = Min;
    temperatureMax_ = Max;
    map_->setDataRange(QCPRange(Min, Max));
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TColourSection::SetMarkerColumn(int Column)
{
    markerColumn_ = Column >= 0 && Column < section_.Columns ? Column : -1;
    PlaceMarker();
    // Only the marker's layer is drawn again; before the first full replot
    // there is no layer buffer yet and the whole plot is drawn.
    markerLayer_->replot();
}

void TColourSection::PlaceMarker()
{
    marker_->setVisible(markerColumn_ >= 0 && markerColumn_ < section_.Columns);
    if (markerColumn_ >= section_.Columns) markerColumn_ = -1;
    marker_->point1->setCoords(markerColumn_, 0);
    marker_->point2->setCoords(markerColumn_, 1);
}

void TColourSection::Redraw() { plot_->replot(QCustomPlot::rpImmediateRefresh); }

QPoint TColourSection::PointOf(double Column, double Height) const
{
    const QPoint P(int(plot_->xAxis->coordToPixel(Column)), int(plot_->yAxis->coordToPixel(Height)));
    return plot_->mapTo(this, P);
}

QWidget* TColourSection::MouseSurface() const { return plot_; }

int TColourSection::ColumnAt(QPoint Pos) const
{
    const QPoint P = plot_->mapFrom(this, Pos);
    if (section_.Columns < 1 || !plot_->axisRect()->rect().contains(P)) return -1;
    const int C = int(std::lround(plot_->xAxis->pixelToCoord(P.x())));
    return C >= 0 && C < section_.Columns ? C : -1;
}

double TColourSection::HeightAt(QPoint Pos) const
{
    return plot_->yAxis->pixelToCoord(plot_->mapFrom(this, Pos).y());
}

void TColourSection::MousePress(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton || !OnColumnClick) return;
    const int C = ColumnAt(plot_->mapTo(this, Event->position().toPoint()));
    if (C >= 0) OnColumnClick(C);
}

void TColourSection::MouseMove(QMouseEvent* Event)
{
    if (!OnHover) return;
    const QPoint Pos = plot_->mapTo(this, Event->position().toPoint());
    const int C = ColumnAt(Pos);
    OnHover(C >= 0 ? section_.Readout(C, HeightAt(Pos)) : std::string());
}

QImage TColourSection::RenderToImage(QSize Size)
{
    if (Size.isEmpty()) return QImage();
    return plot_->toPixmap(Size.width(), Size.height()).toImage();
}
