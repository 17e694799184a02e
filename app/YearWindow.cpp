#include "app/YearWindow.h"

#include "app/ClimateSource.h"
#include "app/Controls.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "chart/ColourSection.h"
#include "movie/SectionPicture.h"
#include "sounding/LapseRates.h"
#include "analysis/TimeHeightSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

TYearWindow::TYearWindow(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName("YearWindow");
    Section = new TColourSection(this);
    Section->setObjectName("YearSection");
    Section->setAccessibleName("Time-height section");
    Readout = new QLabel(this);
    Readout->setObjectName("YearReadout");
    Readout->setText(" ");
    TemperatureButton = new QRadioButton("Temperature", this);
    TemperatureButton->setObjectName("YearTemperature");
    TemperatureButton->setChecked(true);
    AnomalyButton = new QRadioButton("Anomaly", this);
    AnomalyButton->setObjectName("YearAnomaly");
    AnomalyButton->setToolTip("Temperature minus the day's median of the station's climatology at that height");
    ClimateNote = new QLabel(this);
    ClimateNote->setObjectName("YearClimateNote");
    auto* modes = new QHBoxLayout;
    modes->addWidget(TemperatureButton);
    modes->addWidget(AnomalyButton);
    modes->addWidget(ClimateNote, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(modes);
    layout->addWidget(Section, 1);
    layout->addWidget(Readout);
    connect(AnomalyButton, &QRadioButton::toggled, this, [this] {
        if (OnModeChange) OnModeChange();
    });
    SetClimatology(nullptr, "");

    Section->OnHover = [this](const std::string& Text) { Readout->setText(QString::fromStdString(Text)); };
    Section->OnColumnClick = [this](int Column) {
        const int sounding = Section->Section().SoundingOf(Column);
        if (sounding >= 0 && OnSoundingClick) OnSoundingClick(sounding);
    };
    setWindowTitle("Year at a Glance");
    // Below this the date labels, the legend and the colour bar would collide.
    Section->setMinimumSize(TColourSection::MinimumWidth, TColourSection::MinimumHeight);
    resize(900, 500);
}

void TYearWindow::ShowPage(const std::string& PageName, const std::vector<TSounding>& Soundings, double HeightMax)
{
    setWindowTitle(QString::fromLocal8Bit(
        (PageName.empty() ? std::string("Year at a Glance") : "Year at a Glance - " + PageName).c_str()));
    ShowPageSection(*Section, Soundings, HeightMax, PageName, AnomalyShown() ? climate_ : nullptr);
    Readout->setText(" ");
}

void TYearWindow::SetClimatology(const sounding::TClimatology* Climate, const std::string& Status)
{
    climate_ = Climate;
    AnomalyButton->setEnabled(Climate != nullptr);
    const std::string note = Climate ? std::string() : Status.empty() ? std::string("No climatology") : Status;
    ClimateNote->setText(QString::fromLocal8Bit(note.c_str()));
}

bool TYearWindow::AnomalyShown() const { return climate_ && AnomalyButton->isChecked(); }

void TYearWindow::ShowSounding(int Sounding)
{
    const int column = Sounding < 0 ? -1 : Section->Section().ColumnOf(Sounding);
    // Every frame change reaches here, some twice: the marker is drawn once.
    if (column != Section->MarkerColumn()) Section->SetMarkerColumn(column);
}

void TYearWindow::PlaceBeside(const QWidget& Main)
{
    app::PlaceBesideMain(*this, Main, QSize(900, 500), app::TSideOrder::BelowFirst);
}

namespace app {

TYearLink::TYearLink(IExtrasHost& Host, TClimateSource* Source) : TFollower(Host), source_(Source)
{
    if (source_) connect(source_, &TClimateSource::changed, this, [this] { PageChanged(); });
}

TYearLink::~TYearLink() = default;

void TYearLink::ShowWindow()
{
    if (!window_) {
        window_ = std::make_unique<TYearWindow>(&host_.HostWindow());
        window_->OnSoundingClick = [this](int Sounding) { shown_.AskFrame(Sounding); };
        window_->OnModeChange = [this] { ShowPage(); };
        if (!RestorePlace(*window_)) window_->PlaceBeside(host_.HostWindow());
        KeepPlaceOnClose(*window_);
    }
    // A closed window missed the pages read meanwhile.
    if (!window_->isVisible()) ShowPage();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TYearLink::FrameChanged()
{
    if (window_ && window_->isVisible()) window_->ShowSounding(shown_.Frame());
}

void TYearLink::PageChanged()
{
    if (window_ && window_->isVisible()) ShowPage();
}

void TYearLink::MainClosing()
{
    if (window_) window_->close();
}

void TYearLink::ShowPage()
{
    static const std::vector<TSounding> kNoSoundings;
    const TLapseRates* rates = shown_.Movie();
    const std::vector<TSounding>& soundings = rates ? rates->Soundings : kNoSoundings;
    const settings::TProgramSettings* settings = host_.HostChartSettings();
    const sounding::TClimatology* climate = source_ ? source_->Climatology() : nullptr;
    if (climate && climate->Years() < kClimateMinYears) climate = nullptr;
    window_->SetClimatology(climate, source_ ? source_->Status() : std::string());
    window_->ShowPage(shown_.CaptionName(), soundings,
                      settings ? SectionHeightMax(*settings) : TSectionSize().HeightMax);
    window_->ShowSounding(soundings.empty() ? -1 : shown_.Frame());
}

}  // namespace app
