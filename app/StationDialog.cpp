#include "app/StationDialog.h"

#include "app/Application.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace app {

namespace {

QString Number(const std::optional<double>& V, int Decimals)
{
    return V ? QString::number(*V, 'f', Decimals) : QString();
}

enum Column { cId, cName, cState, cLatitude, cLongitude, cElevation, cYears, cLaunches, cDistance, cColumns };

}  // namespace

class TStationModel : public QAbstractTableModel {
public:
    const std::vector<sounding::TStation>* Stations = nullptr;
    std::vector<sounding::TStationHit> Hits;
    int RecentYear = QDate::currentDate().year() - 1;

    void SetHits(std::vector<sounding::TStationHit> NewHits)
    {
        beginResetModel();
        Hits = std::move(NewHits);
        if (sortColumn_ >= 0 && !(Hits.size() && Hits.front().DistanceKm)) SortHits();
        endResetModel();
    }

    const sounding::TStation& At(int Row) const { return (*Stations)[std::size_t(Hits[std::size_t(Row)].Index)]; }
    bool Greyed(int Row) const { return At(Row).LastYear < RecentYear; }

    int rowCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : int(Hits.size()); }
    int columnCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : cColumns; }

    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override
    {
        static const char* kNames[] = {"Id",    "Name",     "State",        "Latitude", "Longitude", "Elevation (m)",
                                       "Years", "Launches", "Distance (km)"};
        if (Orientation == Qt::Horizontal && Role == Qt::DisplayRole && Section >= 0 && Section < cColumns)
            return QString::fromLatin1(kNames[Section]);
        return {};
    }

    QVariant data(const QModelIndex& Index, int Role) const override
    {
        if (!Index.isValid() || Index.row() >= int(Hits.size())) return {};
        const sounding::TStation& s = At(Index.row());
        if (Role == Qt::ForegroundRole && Greyed(Index.row())) return QColor(Qt::gray);
        if (Role == Qt::TextAlignmentRole && Index.column() >= cLatitude && Index.column() != cYears)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (Role != Qt::DisplayRole) return {};
        switch (Index.column()) {
        case cId:
            return Q(s.Id);
        case cName:
            return Q(s.Name);
        case cState:
            return Q(s.State);
        case cLatitude:
            return Number(s.Latitude, 4);
        case cLongitude:
            return Number(s.Longitude, 4);
        case cElevation:
            return Number(s.Elevation, 1);
        case cYears:
            return QString("%1\u2013%2").arg(s.FirstYear).arg(s.LastYear);
        case cLaunches:
            return s.Launches;
        case cDistance: {
            const std::optional<double>& d = Hits[std::size_t(Index.row())].DistanceKm;
            return d ? QString::number(std::lround(*d)) : QString();
        }
        default:
            return {};
        }
    }

    void sort(int Column, Qt::SortOrder Order) override
    {
        sortColumn_ = Column;
        order_ = Order;
        beginResetModel();
        SortHits();
        endResetModel();
    }

private:
    void SortHits()
    {
        auto key = [this](const sounding::TStationHit& H) {
            const sounding::TStation& s = (*Stations)[std::size_t(H.Index)];
            switch (sortColumn_) {
            case cLatitude:
                return s.Latitude.value_or(-1000);
            case cLongitude:
                return s.Longitude.value_or(-1000);
            case cElevation:
                return s.Elevation.value_or(-1e6);
            case cYears:
                return double(s.FirstYear) * 10000 + s.LastYear;
            case cLaunches:
                return double(s.Launches);
            case cDistance:
                return H.DistanceKm.value_or(1e9);
            default:
                return 0.0;
            }
        };
        auto text = [this](const sounding::TStationHit& H) -> const std::string& {
            const sounding::TStation& s = (*Stations)[std::size_t(H.Index)];
            return sortColumn_ == cName ? s.Name : sortColumn_ == cState ? s.State : s.Id;
        };
        const bool textual = sortColumn_ == cId || sortColumn_ == cName || sortColumn_ == cState;
        std::stable_sort(Hits.begin(), Hits.end(), [&](const auto& A, const auto& B) {
            const bool less = textual ? text(A) < text(B) : key(A) < key(B);
            const bool more = textual ? text(B) < text(A) : key(B) < key(A);
            return order_ == Qt::AscendingOrder ? less : more;
        });
    }

    int sortColumn_ = -1;
    Qt::SortOrder order_ = Qt::AscendingOrder;
};

TStationDialog::TStationDialog(QWidget* Parent) : QDialog(Parent), model_(std::make_unique<TStationModel>())
{
    setObjectName("StationDialog");
    setWindowTitle("Open Station");
    setModal(false);
    resize(920, 540);

    auto* layout = new QVBoxLayout(this);
    Recent_Label = new QLabel("Recent stations:", this);
    Recent_Label->setObjectName("Recent_Label");
    layout->addWidget(Recent_Label);
    Recent_List = new QListWidget(this);
    Recent_List->setObjectName("Recent_List");
    Recent_List->setMaximumHeight(80);
    layout->addWidget(Recent_List);

    Search_Edit = new QLineEdit(this);
    Search_Edit->setObjectName("Search_Edit");
    Search_Edit->setPlaceholderText("Name, id, WMO number, country code, or lat, lon");
    Search_Edit->setClearButtonEnabled(true);
    layout->addWidget(Search_Edit);

    Station_Table = new QTableView(this);
    Station_Table->setObjectName("Station_Table");
    Station_Table->setModel(model_.get());
    Station_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Station_Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Station_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Station_Table->setSortingEnabled(true);
    Station_Table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    Station_Table->verticalHeader()->hide();
    // One line per cell: no text layout for wrapping at every redraw.
    Station_Table->setWordWrap(false);
    Station_Table->verticalHeader()->setDefaultSectionSize(20);
    const int widths[cColumns] = {95, 230, 45, 75, 80, 95, 80, 70, 95};
    for (int c = 0; c < cColumns; ++c) Station_Table->setColumnWidth(c, widths[c]);
    layout->addWidget(Station_Table, 1);

    Count_Label = new QLabel(this);
    Count_Label->setObjectName("Count_Label");
    layout->addWidget(Count_Label);

    auto* options = new QHBoxLayout;
    WholeRecord_Radio = new QRadioButton("Whole record", this);
    WholeRecord_Radio->setObjectName("WholeRecord_Radio");
    ThisYear_Radio = new QRadioButton("This year", this);
    ThisYear_Radio->setObjectName("ThisYear_Radio");
    ThisYear_Radio->setChecked(true);
    KeepRange_CheckBox = new QCheckBox("Keep the window's date range", this);
    KeepRange_CheckBox->setObjectName("KeepRange_CheckBox");
    KeepRange_CheckBox->setEnabled(false);
    options->addWidget(WholeRecord_Radio);
    options->addWidget(ThisYear_Radio);
    options->addWidget(KeepRange_CheckBox);
    options->addStretch(1);
    layout->addLayout(options);

    auto* buttons = new QHBoxLayout;
    UpdateList_Button = new QPushButton("Update Station List", this);
    UpdateList_Button->setObjectName("UpdateList_Button");
    ClearCache_Button = new QPushButton("Clear Download Cache", this);
    ClearCache_Button->setObjectName("ClearCache_Button");
    Open_Button = new QPushButton("Open", this);
    Open_Button->setObjectName("Open_Button");
    Open_Button->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel_Button");
    buttons->addWidget(UpdateList_Button);
    buttons->addWidget(ClearCache_Button);
    buttons->addStretch(1);
    buttons->addWidget(Open_Button);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(Search_Edit, &QLineEdit::textChanged, this,
            [this](const QString& Text) { Search(Text.toUtf8().toStdString()); });
    connect(Search_Edit, &QLineEdit::returnPressed, this, [this] { RunHandler([this] { Open(); }); });
    connect(Station_Table, &QTableView::doubleClicked, this, [this] { RunHandler([this] { Open(); }); });
    connect(Open_Button, &QPushButton::clicked, this, [this] { RunHandler([this] { Open(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(UpdateList_Button, &QPushButton::clicked, this, [this] {
        if (OnUpdateList) RunHandler(OnUpdateList);
    });
    connect(ClearCache_Button, &QPushButton::clicked, this, [this] {
        if (OnClearCache) RunHandler(OnClearCache);
    });
    connect(Recent_List, &QListWidget::itemActivated, this, [this](QListWidgetItem* Item) {
        const std::string entry = Item->data(Qt::UserRole).toString().toStdString();
        const std::size_t space = entry.find(' ');
        if (space == std::string::npos) return;
        const std::optional<download::TPeriod> period = download::PeriodOfSwitch(entry.substr(space + 1));
        if (period && OnOpen)
            RunHandler([&] { OnOpen(entry.substr(0, space), *period, KeepRange_CheckBox->isChecked()); });
    });
    Search_Edit->installEventFilter(this);
    Search_Edit->setFocus();
}

TStationDialog::~TStationDialog() = default;

void TStationDialog::SetStations(const std::vector<sounding::TStation>* Stations)
{
    model_->Stations = Stations;
    search_ = Stations ? std::make_unique<sounding::TStationSearch>(*Stations) : nullptr;
    // The Id column as wide as the widest id (letters differ in width).
    int idWidth = 0;
    if (Stations)
        for (const sounding::TStation& s : *Stations)
            idWidth = std::max(idWidth, Station_Table->fontMetrics().horizontalAdvance(Q(s.Id)));
    Station_Table->setColumnWidth(
        cId, std::max(95, idWidth + 2 * Station_Table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12));
    Search(Search_Edit->text().toUtf8().toStdString());
}

void TStationDialog::SetRecent(const std::vector<std::string>& Recent)
{
    Recent_List->clear();
    for (const std::string& entry : Recent) {
        const std::size_t space = entry.find(' ');
        const std::string id = entry.substr(0, space);
        const std::string period = space == std::string::npos ? "" : entry.substr(space + 1);
        std::string name;
        if (model_->Stations)
            for (const sounding::TStation& s : *model_->Stations)
                if (s.Id == id) name = s.Name;
        const std::optional<download::TPeriod> p = download::PeriodOfSwitch(period);
        auto* item = new QListWidgetItem(
            Q(id + "  " + name + (p ? std::string("  (") + download::PeriodText(*p) + ")" : std::string())),
            Recent_List);
        item->setData(Qt::UserRole, QString::fromStdString(entry));
    }
    Recent_List->setVisible(!Recent.empty());
    Recent_Label->setVisible(!Recent.empty());
}

void TStationDialog::SetDateRange(const std::string& From, const std::string& To)
{
    const bool narrowed = !From.empty() || !To.empty();
    KeepRange_CheckBox->setEnabled(narrowed);
    KeepRange_CheckBox->setChecked(narrowed);
    KeepRange_CheckBox->setText(narrowed ? Q("Keep the window's date range (" + (From.empty() ? "..." : From) + " to " +
                                             (To.empty() ? "..." : To) + ")")
                                         : QString("Keep the window's date range"));
}

void TStationDialog::Search(const std::string& Text)
{
    model_->SetHits(search_ ? search_->Find(Text) : std::vector<sounding::TStationHit>{});
    const bool place = !model_->Hits.empty() && model_->Hits.front().DistanceKm;
    Station_Table->setColumnHidden(cDistance, !place);
    if (place) Station_Table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    Count_Label->setText(model_->Hits.size() == 1 ? QString("1 station")
                                                  : QString("%1 stations").arg(model_->Hits.size()));
    if (!model_->Hits.empty()) Station_Table->selectRow(0);
}

std::string TStationDialog::SelectedId() const
{
    const QModelIndexList rows = Station_Table->selectionModel()->selectedRows();
    return rows.isEmpty() ? std::string() : IdAt(rows.front().row());
}

int TStationDialog::RowCount() const { return int(model_->Hits.size()); }

std::string TStationDialog::IdAt(int Row) const
{
    return Row >= 0 && Row < RowCount() ? model_->At(Row).Id : std::string();
}

bool TStationDialog::RowGreyed(int Row) const { return Row >= 0 && Row < RowCount() && model_->Greyed(Row); }

void TStationDialog::Open()
{
    const std::string id = SelectedId();
    if (id.empty() || !OnOpen) return;
    OnOpen(id, WholeRecord_Radio->isChecked() ? download::TPeriod::WholeRecord : download::TPeriod::ThisYear,
           KeepRange_CheckBox->isEnabled() && KeepRange_CheckBox->isChecked());
}

bool TStationDialog::eventFilter(QObject* Watched, QEvent* Event)
{
    // The arrows move through the table while the typing goes on.
    if (Watched == Search_Edit && Event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp ||
            key->key() == Qt::Key_PageDown) {
            QKeyEvent copy(key->type(), key->key(), key->modifiers());
            QCoreApplication::sendEvent(Station_Table, &copy);
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

}  // namespace app
