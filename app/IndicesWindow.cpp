#include "app/IndicesWindow.h"

#include "app/Controls.h"
#include "app/Application.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "components/jtSysUtils.h"
#include "download/StationElevations.h"
#include "analysis/DerivedLevels.h"
#include "analysis/Indices.h"
#include "sounding/LapseRates.h"
#include "analysis/Quantities.h"
#include "analysis/ClimateViews.h"
#include "app/ClimateSource.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

namespace app {

namespace {

struct TRow {
    const char* Name;
    const char* Unit;
    int Decimals;
    const sounding::TIndexQuantity* Index = nullptr;  // else a derived level's row (or a heading)
    const sounding::TLevelQuantity* Level = nullptr;
    bool Heading = false;
    int ClimateColumn = -1;  // the row's column in a station climatology; -1 none
};

using sounding::TQuantityGroup;

// The stability indices, the derived levels the window lists, then the
// wind under a heading of its own, in the order of their tables.
std::vector<TRow> Rows()
{
    std::vector<TRow> rows;
    for (const sounding::TIndexQuantity& q : sounding::IndexQuantities())
        if (q.Listed && q.Group == TQuantityGroup::Stability)
            rows.push_back({q.Label, q.Unit, q.Decimals, &q, nullptr, false, sounding::ClimateColumnOf(q.Column)});
    for (const sounding::TLevelQuantity& q : sounding::LevelQuantities())
        if (q.Listed)
            rows.push_back({q.Label, q.Unit, q.Decimals, nullptr, &q, false, sounding::ClimateColumnOf(q.Column)});
    rows.push_back({"Wind", "", 0, nullptr, nullptr, true});
    for (const sounding::TIndexQuantity& q : sounding::IndexQuantities())
        if (q.Listed && q.Group == TQuantityGroup::Wind)
            rows.push_back({q.Label, q.Unit, q.Decimals, &q, nullptr, false, sounding::ClimateColumnOf(q.Column)});
    return rows;
}

// A helicity row: south of the equator it is reckoned for the left mover.
bool Helicity(const TRow& Row) { return Row.Index && std::string_view(Row.Index->Unit) == "m2/s2"; }

// A wind speed: in knots too.
bool Speed(const TRow& Row)
{
    return Row.Index && Row.Index->Group == TQuantityGroup::Wind && std::string_view(Row.Index->Unit) == "m/s";
}

constexpr double kKnot = 0.514444;  // m/s

const std::vector<TRow> kRows = Rows();
const int kRowCount = int(kRows.size());
constexpr const char* kCaption = "Launch Indices";
constexpr int kPercentileColumn = 3;

// The values of a sounding in the order of kRows; south of the equator the
// helicity relative to the left mover, the cyclonic one there.
std::vector<std::optional<double>> ValuesOf(const TSounding& Sounding, bool South)
{
    sounding::TIndices x = sounding::ComputeIndices(Sounding);
    const TDerivedLevels d = DeriveLevels(Sounding);
    if (South) {
        sounding::TKinematics& w = x.Wind;
        auto left = [&](std::optional<double> Bottom, std::optional<double> Top) -> std::optional<double> {
            if (!w.StormLeft || !Bottom || !Top) return std::nullopt;
            return sounding::StormRelativeHelicity(Sounding, *Bottom, *Top, *w.StormLeft);
        };
        w.Srh0To1 = left(0.0, 1000.0);
        w.Srh0To3 = left(0.0, 3000.0);
        w.EffectiveSrh = left(w.EffectiveBase, w.EffectiveTop);
    }
    std::vector<std::optional<double>> v;
    v.reserve(kRows.size());
    for (const TRow& r : kRows) v.push_back(r.Index ? r.Index->Of(x) : r.Level ? r.Level->Of(d) : std::nullopt);
    return v;
}

}  // namespace

TIndicesWindow::TIndicesWindow(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName("IndicesWindow");
    Caption = new QLabel(this);
    Caption->setObjectName("IndicesCaption");
    Table = new QTableWidget(kRowCount, 4, this);
    Table->setObjectName("IndicesTable");
    Table->setAccessibleName("Launch indices");
    Table->setHorizontalHeaderLabels({"Index", "Value", "Unit", "Percentile"});
    Table->verticalHeader()->setVisible(false);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    for (int r = 0; r < kRowCount; ++r) {
        auto* name = new QTableWidgetItem(QString::fromLatin1(kRows[std::size_t(r)].Name));
        if (kRows[std::size_t(r)].Heading) {
            QFont bold = name->font();
            bold.setBold(true);
            name->setFont(bold);
        }
        Table->setItem(r, 0, name);
        auto* value = new QTableWidgetItem;
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(r, 1, value);
        Table->setItem(r, 2, new QTableWidgetItem(QString::fromLatin1(kRows[std::size_t(r)].Unit)));
        auto* rank = new QTableWidgetItem;
        rank->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(r, kPercentileColumn, rank);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Caption);
    layout->addWidget(Table, 1);
    setWindowTitle(kCaption);
    ShowSounding(nullptr);
    resize(ContentSize());
}

QSize TIndicesWindow::ContentSize() const
{
    // The columns as wide as their texts (a value as wide as the widest a
    // launch can give), the rows all in view.
    // Measured as the window will be drawn: with its style and fonts.
    ensurePolished();
    for (QWidget* w :
         std::initializer_list<QWidget*>{Table, Table->horizontalHeader(), Table->verticalHeader(), Caption})
        w->ensurePolished();
    // Rows one line high: all 35 in view on a common screen.
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    const int valueWidth = Table->fontMetrics().horizontalAdvance("-000.0 (-000.0 kt)") + 16;
    int width = 2 * Table->frameWidth() + 8;
    for (int c = 0; c < Table->columnCount(); ++c) {
        int w = std::max(static_cast<const QAbstractItemView*>(Table)->sizeHintForColumn(c),
                         Table->horizontalHeader()->sectionSizeHint(c));
        if (c == 1) w = std::max(w, valueWidth);
        Table->setColumnWidth(c, w);
        width += w;
    }
    const int height = 2 * Table->frameWidth() + 8 + Table->horizontalHeader()->sizeHint().height() +
                       Table->verticalHeader()->length();
    // The window around the table, as its layout lays it out.
    const QSize before = Table->minimumSize();
    Table->setMinimumSize(width, height);
    const QSize whole = layout()->totalMinimumSize();
    Table->setMinimumSize(before);
    return whole;
}

void TIndicesWindow::ShowSounding(const TSounding* Sounding, const std::string& Name, bool South)
{
    const std::string caption = LaunchCaption(kCaption, Name, Sounding ? Sounding->Title : std::string());
    if (windowTitle().toLocal8Bit().toStdString() != caption) setWindowTitle(QString::fromLocal8Bit(caption.c_str()));
    Caption->setText(Sounding ? QString::fromLocal8Bit(Sounding->Title.c_str()) : QString("No sounding"));
    const std::vector<std::optional<double>> values =
        Sounding ? ValuesOf(*Sounding, South) : std::vector<std::optional<double>>(kRowCount);
    for (int r = 0; r < kRowCount; ++r) {
        const TRow& row = kRows[std::size_t(r)];
        const std::optional<double>& v = values[std::size_t(r)];
        // As the CSV files write them; speeds also in knots.
        std::string text = v ? FixedText(*v, row.Decimals) : "none";
        if (v && Speed(row)) text += " (" + FixedText(*v / kKnot, 1) + " kt)";
        Table->item(r, 1)->setText(!Sounding || row.Heading ? QString() : Q(text));
        if (Helicity(row)) Table->item(r, 2)->setText(South ? "m2/s2, left mover" : row.Unit);
    }
    ShowPercentiles(Sounding, values);
}

void TIndicesWindow::ShowPercentiles(const TSounding* Sounding, const std::vector<std::optional<double>>& Values)
{
    const int group = Sounding ? sounding::LaunchGroup(Sounding->Launch) : -1;
    const int day = Sounding ? sounding::ClimateDay(Sounding->Launch) : 0;
    for (int r = 0; r < kRowCount; ++r) {
        const TRow& row = kRows[std::size_t(r)];
        const std::optional<double>& v = Values[std::size_t(r)];
        std::optional<double> rank;
        // The value as listed: the climatology holds the values so rounded.
        if (climate_ && v && group >= 0 && day > 0 && row.ClimateColumn >= 0)
            rank = climate_->Rank(group, row.ClimateColumn, day, std::stod(FixedText(*v, row.Decimals)));
        QTableWidgetItem* item = Table->item(r, kPercentileColumn);
        const int whole = rank ? std::clamp(int(std::lround(*rank)), 1, 99) : 0;
        item->setText(rank ? Q(sounding::Ordinal(whole)) : QString());
        QFont font = Table->font();
        font.setBold(rank && (*rank > 90 || *rank < 10));
        item->setFont(font);
    }
}

std::string TIndicesWindow::PercentileOf(const std::string& Name, bool* Bold) const
{
    for (int r = 0; r < kRowCount; ++r)
        if (Name == kRows[std::size_t(r)].Name) {
            const QTableWidgetItem* item = Table->item(r, kPercentileColumn);
            if (Bold) *Bold = item->font().bold();
            return item->text().toStdString();
        }
    return {};
}

std::string TIndicesWindow::ValueOf(const std::string& Name) const
{
    for (int r = 0; r < kRowCount; ++r)
        if (Name == kRows[std::size_t(r)].Name) return Table->item(r, 1)->text().toStdString();
    return {};
}

void TIndicesWindow::PlaceBeside(const QWidget& Main)
{
    QSize size = ContentSize();
    // A screen too low for all rows: room for the vertical scroll bar, so
    // that it never pushes the units out of view.
    if (Main.screen() && size.height() > Main.screen()->availableGeometry().height())
        size.rwidth() += Table->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    PlaceBesideMain(*this, Main, size, TSideOrder::RightFirst);
}

TIndicesLink::TIndicesLink(IExtrasHost& Host, TClimateSource* Source) : TFollower(Host), source_(Source)
{
    if (source_) connect(source_, &TClimateSource::changed, this, [this] { FrameChanged(); });
}

TIndicesLink::~TIndicesLink() = default;

void TIndicesLink::ShowWindow()
{
    if (!window_) {
        window_ = std::make_unique<TIndicesWindow>(&host_.HostWindow());
        if (!RestorePlace(*window_)) window_->PlaceBeside(host_.HostWindow());
        KeepPlaceOnClose(*window_);
    }
    ShowFrame();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TIndicesLink::FrameChanged()
{
    if (window_ && window_->isVisible()) ShowFrame();
}

void TIndicesLink::ShowFrame()
{
    const sounding::TClimatology* climate = source_ ? source_->Climatology() : nullptr;
    window_->SetClimatology(climate && climate->Years() >= kClimateMinYears ? climate : nullptr);
    const TSounding* sounding = shown_.SoundingAt(shown_.Frame());
    window_->ShowSounding(sounding, shown_.CaptionName(), sounding && download::SouthOfEquator(*sounding));
}

void TIndicesLink::MainClosing()
{
    if (window_) window_->close();
}

}  // namespace app
