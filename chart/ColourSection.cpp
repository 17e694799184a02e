#include "chart/ColourSection.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <chrono>

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
    // Empty cells (no launch, no level near that height) let the hatched
    // background through.
    G.setNanHandling(QCPColorGradient::nhTransparent);
    return G;
}

// Blue - white - red, symmetric about its middle, which is white: for
// departures from a normal value.
QCPColorGradient DivergingGradient()
{
    QCPColorGradient G;
    G.clearColorStops();
    const std::pair<double, const char*> Stops[] = {
        {0.000, "#053061"}, {0.150, "#2166ac"}, {0.300, "#67a9cf"}, {0.420, "#d1e5f0"}, {0.500, "#ffffff"},
        {0.580, "#fddbc7"}, {0.700, "#ef8a62"}, {0.850, "#b2182b"}, {1.000, "#67001f"},
    };
    for (const auto& [Position, Colour] : Stops) G.setColorStopAt(Position, QColor(Colour));
    G.setColorInterpolation(QCPColorGradient::ciRGB);
    G.setNanHandling(QCPColorGradient::nhTransparent);
    // An odd number of levels: one of them lies exactly at the middle.
    G.setLevelCount(351);
    return G;
}

// Cells without data: grey hatching on white, unlike any colour of the scale
// and unlike the ground.
QBrush NoDataBrush() { return QBrush(QColor("#9a9a9a"), Qt::BDiagPattern); }
const QColor GroundColour("#8c6239");

// The marker's line stands at the right edge of its pixel: drawn without
// antialiasing, a 2-pixel pen at a whole pixel's edge covers the pixels on
// both sides of it.
constexpr double kMarkerOffset = 1.0;

// The launch date of a column ("2016-01-01"); its title when its launch is
// not known.
std::string DateOf(const TTimeHeightSection& S, int Column)
{
    const sounding::TLaunchKey Launch = S.LaunchOf(Column);
    return sounding::LaunchHour(Launch) ? sounding::DateText(Launch.Date()) : S.Titles[std::size_t(Column)];
}

const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Hours since 1970-01-01 00Z of the start of the first day of a month.
std::int64_t MonthStart(int Year, int Month)
{
    return sounding::DayStartHour(std::chrono::year{Year} / std::chrono::month{unsigned(Month)} / 1);
}

// A legend key drawn as the reader needs it: a patch of a fill, or a light
// line with a dark edge (the white tropopause on the legend's white).
class TKeyGraph : public QCPGraph {
public:
    enum class Key { Line, EdgedLine, Patch };
    TKeyGraph(QCPAxis* KeyAxis, QCPAxis* ValueAxis, Key K) : QCPGraph(KeyAxis, ValueAxis), key_(K) {}

protected:
    void drawLegendIcon(QCPPainter* Painter, const QRectF& Rect) const override
    {
        if (key_ == Key::Patch) {
            Painter->setPen(QPen(QColor("#606060"), 1));
            Painter->setBrush(brush());
            Painter->drawRect(Rect.adjusted(1, 1, -1, -1));
            return;
        }
        if (key_ == Key::EdgedLine) {
            Painter->setPen(QPen(Qt::black, pen().widthF() + 2));
            Painter->drawLine(QLineF(Rect.left(), Rect.center().y(), Rect.right(), Rect.center().y()));
        }
        QCPGraph::drawLegendIcon(Painter, Rect);
    }

private:
    Key key_;
};

// Ticks from the section on show, as many as the map's width holds.
class TDateTicker : public QCPAxisTicker {
public:
    TDateTicker(const TColourSection& View, const QCustomPlot& Plot) : view_(View), plot_(Plot) {}
    void generate(const QCPRange&, const QLocale&, QChar, int, QVector<double>& Ticks, QVector<double>* SubTicks,
                  QVector<QString>* Labels) override
    {
        // The map's width from the picture's: the height labels and the
        // colour bar take about 150 pixels.
        std::vector<double> Columns;
        std::vector<std::string> Texts;
        TColourSection::DateTicks(view_.Section(), std::max(100, plot_.viewport().width() - 150), Columns, Texts);
        Ticks = QVector<double>(Columns.begin(), Columns.end());
        if (SubTicks) SubTicks->clear();
        if (Labels) {
            Labels->clear();
            for (const std::string& T : Texts) Labels->push_back(QString::fromStdString(T));
        }
    }

private:
    const TColourSection& view_;
    const QCustomPlot& plot_;
};

}  // namespace

int TColourSection::ColumnOfPixel(int Pixel, int Columns, int Pixels)
{
    if (Columns < 1 || Pixels < 1) return -1;
    return std::clamp(int(std::floor((Pixel + 0.5) * Columns / Pixels)), 0, Columns - 1);
}

int TColourSection::PixelOfColumn(int Column, int Columns, int Pixels)
{
    if (Columns < 1 || Pixels < 1) return -1;
    // The pixels whose centres lie in the column.
    const double Width = double(Pixels) / Columns;
    const int First = int(std::ceil(Column * Width - 0.5)), Last = int(std::ceil((Column + 1) * Width - 0.5)) - 1;
    if (Last < First) return std::clamp(int(std::lround((Column + 0.5) * Width - 0.5)), 0, Pixels - 1);
    return std::clamp((First + Last) / 2, 0, Pixels - 1);
}

void TColourSection::DateTicks(const TTimeHeightSection& S, int Pixels, std::vector<double>& Columns,
                               std::vector<std::string>& Labels)
{
    Columns.clear();
    Labels.clear();
    if (S.Columns < 1) return;
    if (S.HoursPerColumn <= 0) {
        // No clock: the dates (or titles) of a few evenly spread columns.
        const int N = std::min({6, S.Columns, std::max(2, Pixels / 90)});
        for (int I = 0; I < N; ++I) {
            const int C = N > 1 ? int(std::lround(double(I) * (S.Columns - 1) / (N - 1))) : 0;
            Columns.push_back(C);
            Labels.push_back(DateOf(S, C));
        }
        return;
    }
    const double Begin = double(S.FirstHour), End = S.FirstHour + S.Columns * S.HoursPerColumn;
    const auto X = [&S](double Hour) { return (Hour - double(S.FirstHour)) / S.HoursPerColumn - 0.5; };
    const std::chrono::year_month_day First = sounding::DayOfHour(S.FirstHour);
    const int Year0 = int(First.year()), Month0 = int(unsigned(First.month()));

    struct Start {
        double Hour;
        int Year, Month;
    };
    std::vector<Start> Months;
    for (int Y = Year0, M = Month0;; M == 12 ? (M = 1, ++Y) : ++M) {
        const double Hour = double(MonthStart(Y, M));
        if (Hour > End) break;
        if (Hour >= Begin) Months.push_back({Hour, Y, M});
    }
    // Month labels ("Jan 2016") want about 75 pixels, years about 50.
    for (const int Step : {1, 2, 3, 6, 12, 24, 60, 120, 240, 600}) {
        const int Room = std::max(2, Pixels / (Step < 12 ? 75 : 50));
        std::vector<const Start*> Kept;
        for (const Start& M : Months)
            if ((M.Year * 12 + M.Month - 1) % Step == 0) Kept.push_back(&M);
        if (int(Kept.size()) > Room) continue;
        if (Step == 1 && Kept.size() < 2) break;  // within a month or two: days
        for (const Start* M : Kept) {
            Columns.push_back(X(M->Hour));
            if (Step >= 12)
                Labels.push_back(std::to_string(M->Year));
            else if (M->Month == 1 || M == Kept.front())
                Labels.push_back(MonthNames[M->Month - 1] + (" " + std::to_string(M->Year)));
            else
                Labels.push_back(MonthNames[M->Month - 1]);
        }
        return;
    }
    // Days: "Jun 15", every 1, 2, 5, 10 or 15 days.
    const double FirstDay = std::ceil(Begin / 24) * 24;
    const int Days = int(std::floor((End - FirstDay) / 24)) + 1;
    const int Room = std::max(2, Pixels / 60);
    int Step = 15;
    for (const int S2 : {1, 2, 5, 10, 15})
        if ((Days + S2 - 1) / S2 <= Room) {
            Step = S2;
            break;
        }
    for (double Hour = FirstDay; Hour <= End; Hour += 24.0 * Step) {
        const std::chrono::year_month_day Date = sounding::DayOfHour(std::int64_t(Hour));
        Columns.push_back(X(Hour));
        Labels.push_back(MonthNames[unsigned(Date.month()) - 1] + (" " + std::to_string(unsigned(Date.day()))));
    }
    if (Columns.empty()) {
        Columns.push_back(0);
        Labels.push_back(DateOf(S, 0));
    }
}

TColourSection::TColourSection(QWidget* Parent) : QWidget(Parent), plot_(new QCustomPlot(this))
{
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(plot_);

    plot_->xAxis->setLabel("Launch date (UTC)");
    plot_->yAxis->setLabel("Height (km)");
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TDateTicker(*this, *plot_)));
    plot_->axisRect()->setBackground(NoDataBrush());
    // Grid lines would show only through the cells without data.
    plot_->xAxis->grid()->setVisible(false);
    plot_->yAxis->grid()->setVisible(false);

    map_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    // The map is filled at the size of its pixels (FillMap): drawn one to
    // one, never scaled, so a one-column gap shows at every height.
    map_->setInterpolate(false);
    // An antialiased painter is shifted by half a pixel, which put every
    // cell one pixel right of its place on the axis.
    map_->setAntialiased(false);
    map_->setTightBoundary(false);
    scale_ = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(0, 1, scale_);
    scale_->setType(QCPAxis::atRight);
    scale_->axis()->setLabel(
        QString::fromUtf8("Temperature (\xC2\xB0"
                          "C)"));
    map_->setColorScale(scale_);
    map_->setGradient(ViridisGradient());
    map_->setDataRange(QCPRange(temperatureMin_, temperatureMax_));
    auto* Margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    scale_->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);

    // The ground under each launch, filled down to sea level.
    ground_ = new TKeyGraph(plot_->xAxis, plot_->yAxis, TKeyGraph::Key::Patch);
    ground_->setName("Ground");
    ground_->setPen(Qt::NoPen);
    ground_->setBrush(GroundColour);
    // Black dashes on the mid-scale greens at 0 C, white over the purples
    // near the tropopause (a dark edge along it would cost more to draw than
    // the whole map; the legend's key has one, to show on white).
    freezing_ = new TKeyGraph(plot_->xAxis, plot_->yAxis, TKeyGraph::Key::Line);
    freezing_->setName("Freezing level");
    freezing_->setPen(QPen(Qt::black, 2, Qt::DashLine));
    tropopause_ = new TKeyGraph(plot_->xAxis, plot_->yAxis, TKeyGraph::Key::EdgedLine);
    tropopause_->setName("Tropopause");
    tropopause_->setPen(QPen(Qt::white, 2));
    noData_ = new TKeyGraph(plot_->xAxis, plot_->yAxis, TKeyGraph::Key::Patch);
    noData_->setName("No data");
    noData_->setBrush(NoDataBrush());
    LayOutLegend();

    // Above the axes, so the marker at the first launch is not hidden under
    // the left axis line.
    plot_->addLayer("marker", plot_->layer("axes"), QCustomPlot::limAbove);
    markerLayer_ = plot_->layer("marker");
    markerLayer_->setMode(QCPLayer::lmBuffered);
    marker_ = new QCPItemStraightLine(plot_);
    marker_->setLayer(markerLayer_);
    marker_->setClipToAxisRect(true);
    marker_->setPen(QPen(QColor("#ff2020"), 2));
    marker_->setAntialiased(false);
    marker_->setVisible(false);

    connect(plot_, &QCustomPlot::afterLayout, this, &TColourSection::LaidOut);
    plot_->setMouseTracking(true);  // hover read-out without a button held
    connect(plot_, &QCustomPlot::mousePress, this, &TColourSection::MousePress);
    connect(plot_, &QCustomPlot::mouseMove, this, &TColourSection::MouseMove);
    SetSection(TTimeHeightSection{});
}

TColourSection::~TColourSection() = default;

void TColourSection::LayOutLegend()
{
    // The legend lists the lines first, then the areas.
    plot_->legend->clearItems();
    for (QCPAbstractPlottable* P :
         {static_cast<QCPAbstractPlottable*>(freezing_), static_cast<QCPAbstractPlottable*>(tropopause_),
          static_cast<QCPAbstractPlottable*>(ground_), static_cast<QCPAbstractPlottable*>(noData_)})
        plot_->legend->addItem(new QCPPlottableLegendItem(plot_->legend, P));

    // The heading above, the legend below the map: neither covers data.
    heading_ = new QCPTextElement(plot_, "", QFont(font().family(), font().pointSize() + 1, QFont::Bold));
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, heading_);
    plot_->legend->setVisible(true);
    plot_->axisRect()->insetLayout()->take(plot_->legend);
    plot_->axisRect()->insetLayout()->simplify();
    // Centred under the map between two stretching spacers.
    auto* LegendRow = new QCPLayoutGrid;
    plot_->plotLayout()->addElement(2, 0, LegendRow);
    LegendRow->addElement(0, 0, new QCPLayoutElement(plot_));
    LegendRow->addElement(0, 1, plot_->legend);
    LegendRow->addElement(0, 2, new QCPLayoutElement(plot_));
    LegendRow->setColumnStretchFactors({1, 0.001, 1});
    LegendRow->setColumnSpacing(0);
    plot_->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot_->legend->setBorderPen(Qt::NoPen);
    plot_->legend->setBrush(Qt::NoBrush);
    plot_->legend->setMargins(QMargins(4, 0, 4, 2));
    plot_->legend->setColumnSpacing(14);
    plot_->plotLayout()->setRowStretchFactor(0, 0.001);
    plot_->plotLayout()->setRowStretchFactor(2, 0.001);
    plot_->plotLayout()->setRowSpacing(0);
}

std::string TColourSection::Heading() const { return heading_->text().toStdString(); }

void TColourSection::SetSection(const TTimeHeightSection& Section, const std::string& Heading)
{
    section_ = Section;
    heading_->setText(QString::fromLocal8Bit(Heading.c_str()));
    const int Columns = section_.Columns, Rows = section_.Rows;
    const bool Shown = Columns > 0 && Rows > 0;
    map_->setVisible(Shown);
    map_->data()->clear();
    mapPixels_ = QSize();
    for (QCPGraph* G : {ground_, freezing_, tropopause_}) G->data()->clear();
    const std::size_t Known = std::size_t(std::max(0, Columns));
    if (Shown && section_.FreezingLevel.size() >= Known && section_.TropopauseHeight.size() >= Known) {
        // NaN breaks a line: a column without the level leaves a gap.
        QVector<double> Keys(Columns), Freezing(Columns), Tropopause(Columns);
        for (int C = 0; C < Columns; ++C) {
            Keys[C] = C;
            Freezing[C] = section_.FreezingLevel[std::size_t(C)] / 1000.0;
            Tropopause[C] = section_.TropopauseHeight[std::size_t(C)] / 1000.0;
        }
        freezing_->setData(Keys, Freezing, true);
        tropopause_->setData(Keys, Tropopause, true);
    }
    if (Shown && section_.SurfaceHeight.size() >= Known) {
        // Each column's ground as a block over its whole width.
        QVector<double> Keys, Ground;
        for (int C = 0; C < Columns; ++C) {
            const double Km = section_.SurfaceHeight[std::size_t(C)] / 1000.0;
            Keys << C - 0.5 << C + 0.5;
            const double Top = std::isnan(Km) ? Km : std::max(0.0, Km);
            Ground << Top << Top;
        }
        ground_->setData(Keys, Ground, true);
    }
    plot_->xAxis->setRange(-0.5, std::max(0, Columns - 1) + 0.5);
    plot_->yAxis->setRange(0, section_.HeightMax > 0 ? section_.HeightMax / 1000.0 : 1);
    PlaceMarker();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TColourSection::LaidOut()
{
    FillMap();
    PlaceMarker();
}

void TColourSection::FillMap()
{
    // One cell per pixel of the map: the painter never scales the map, so no
    // column or row is lost or smeared into its neighbours.
    const QRect Rect = plot_->axisRect()->rect();
    const int W = Rect.width(), H = Rect.height();
    if (section_.Columns < 1 || section_.Rows < 1 || W < 2 || H < 2 || mapPixels_ == QSize(W, H)) return;
    mapPixels_ = QSize(W, H);
    const double Columns = section_.Columns, Km = section_.HeightMax / 1000.0;
    // The ranges put the image's edges on the map's edges; it reaches two
    // rows above the top, which the map's clip cuts off, so that the top row
    // is never left uncovered. Each pixel shows the cell that the read-out
    // under it names.
    const int Rows = H + 2;
    auto* Data = new QCPColorMapData(W, Rows, QCPRange(-0.5 + 0.5 * Columns / W, -0.5 + (W - 0.5) * Columns / W),
                                     QCPRange(-0.5 * Km / H, (Rows - 1.5) * Km / H));
    std::vector<int> Row(static_cast<std::size_t>(Rows));
    for (int Y = 0; Y < Rows; ++Y) Row[std::size_t(Y)] = section_.RowOf(double(Y) * section_.HeightMax / H);
    for (int X = 0; X < W; ++X) {
        const int C = ColumnOfPixel(X, section_.Columns, W);
        for (int Y = 0; Y < Rows; ++Y) Data->setCell(X, Y, section_.Cell(C, Row[std::size_t(Y)]));
    }
    const QCPRange Range = map_->dataRange();
    map_->setData(Data, false);
    map_->setDataRange(anomaly_ ? Range : QCPRange(temperatureMin_, temperatureMax_));
}

void TColourSection::SetTemperatureRange(double Min, double Max)
{
    if (!(Min < Max)) return;
    temperatureMin_ = Min;
    temperatureMax_ = Max;
    if (!anomaly_) map_->setDataRange(QCPRange(Min, Max));
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TColourSection::SetAnomaly(bool On, double Limit)
{
    if (!(Limit > 0)) Limit = 10;
    anomaly_ = On;
    map_->setGradient(On ? DivergingGradient() : ViridisGradient());
    scale_->axis()->setLabel(On ? QString("Anomaly from the day's median (K)")
                                : QString::fromUtf8("Temperature (\xC2\xB0"
                                                    "C)"));
    noData_->setName(On ? "No data or climatology" : "No data");
    if (On)
        map_->setDataRange(QCPRange(-Limit, Limit));
    else
        map_->setDataRange(QCPRange(temperatureMin_, temperatureMax_));
    mapPixels_ = QSize();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

QColor TColourSection::ColourOf(double Value) const
{
    QRgb rgb = 0;
    const QCPRange range = map_->dataRange();
    map_->gradient().colorize(&Value, range, &rgb, 1);
    return QColor::fromRgba(rgb);
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
    if (markerColumn_ >= section_.Columns) markerColumn_ = -1;
    marker_->setVisible(markerColumn_ >= 0);
    double X = markerColumn_;
    // On the middle pixel of its column (a column narrower than a pixel: the
    // pixel nearest to it), as the map draws it and the read-out reads it.
    const QRect Rect = plot_->axisRect()->rect();
    if (markerColumn_ >= 0 && Rect.width() > 1)
        X = plot_->xAxis->pixelToCoord(Rect.left() + PixelOfColumn(markerColumn_, section_.Columns, Rect.width()) +
                                       kMarkerOffset);
    marker_->point1->setCoords(X, 0);
    marker_->point2->setCoords(X, 1);
}

void TColourSection::Redraw() { plot_->replot(QCustomPlot::rpImmediateRefresh); }

QPoint TColourSection::PointOf(double Column, double Height) const
{
    const QPoint P(int(plot_->xAxis->coordToPixel(Column)), int(plot_->yAxis->coordToPixel(Height / 1000.0)));
    return plot_->mapTo(this, P);
}

QWidget* TColourSection::MouseSurface() const { return plot_; }

int TColourSection::ColumnAt(QPoint Pos) const
{
    const QPoint P = plot_->mapFrom(this, Pos);
    const QRect Rect = plot_->axisRect()->rect();
    if (section_.Columns < 1 || !Rect.contains(P)) return -1;
    return ColumnOfPixel(P.x() - Rect.left(), section_.Columns, Rect.width());
}

double TColourSection::HeightAt(QPoint Pos) const
{
    return plot_->yAxis->pixelToCoord(plot_->mapFrom(this, Pos).y()) * 1000.0;
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
    std::string Text = C >= 0 ? section_.Readout(C, HeightAt(Pos)) : std::string();
    if (anomaly_ && Text.size() > 2 && Text.compare(Text.size() - 2, 2, " C") == 0)
        Text.replace(Text.size() - 2, 2, " K from the day's median");
    OnHover(Text);
}

QImage TColourSection::RenderToImage(QSize Size)
{
    if (Size.isEmpty()) return QImage();
    return plot_->toPixmap(Size.width(), Size.height()).toImage();
}
