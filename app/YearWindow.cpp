#include "app/YearWindow.h"

#include "app/Controls.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "chart/ColourSection.h"
#include "movie/SectionPicture.h"
#include "sounding/LapseRates.h"
#include "analysis/TimeHeightSection.h"

#include <QLabel>
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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Section, 1);
    layout->addWidget(Readout);

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
    ShowPageSection(*Section, Soundings, HeightMax, PageName);
    Readout->setText(" ");
}

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

TYearLink::TYearLink(IExtrasHost& Host) : TFollower(Host) {}

TYearLink::~TYearLink() = default;

void TYearLink::ShowWindow()
{
    if (!window_) {
        window_ = std::make_unique<TYearWindow>(&host_.HostWindow());
        window_->OnSoundingClick = [this](int Sounding) { shown_.AskFrame(Sounding); };
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
    window_->ShowPage(shown_.CaptionName(), soundings,
                      settings ? SectionHeightMax(*settings) : TSectionSize().HeightMax);
    window_->ShowSounding(soundings.empty() ? -1 : shown_.Frame());
}

}  // namespace app
