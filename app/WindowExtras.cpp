#include "app/WindowExtras.h"

#include "app/Application.h"
#include "app/ClimateSource.h"
#include "app/ClimateWindow.h"
#include "app/IndicesWindow.h"
#include "app/PageDrops.h"
#include "app/PictureSaver.h"
#include "app/PointReadout.h"
#include "app/ShownSet.h"
#include "app/SkewTWindow.h"
#include "app/StationOpener.h"
#include "app/WindowPlaces.h"
#include "app/YearWindow.h"
#include "chart/Chart.h"
#include "sounding/LapseRates.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {
// The option's name in the state file.
constexpr const char* kShowClimate = "ShowClimatology";
}  // namespace

TWindowExtras::TWindowExtras(IExtrasHost& Host)
    : host_(Host),
      climate_(std::make_unique<app::TClimateSource>(Host.HostShownSet())),
      trail_(std::make_unique<app::TTrailLink>(Host, [this] { return TrailShown(); })),
      pictures_(std::make_unique<app::TPictureSaver>(Host)),
      year_(std::make_unique<app::TYearLink>(Host, climate_.get())),
      indices_(std::make_unique<app::TIndicesLink>(Host, climate_.get())),
      drops_(std::make_unique<app::TPageDrops>(Host)),
      tips_(std::make_unique<app::TPointTips>(Host.HostChart()))
{
    setObjectName("WindowExtras");
    PopupMenu = [](QMenu& Menu, QPoint Global) { Menu.popup(Global); };
    CreateMenu();
}

TWindowExtras::~TWindowExtras()
{
    year_.reset();
    skewT_.reset();
    climateWindow_.reset();
    climateBand_.reset();
    Stations.reset();
    host_.HostChart().OnContextMenu = nullptr;
}

void TWindowExtras::CreateMenu()
{
    ChartMenu = new QMenu(&host_.HostChart());
    ChartMenu->setObjectName("ChartMenu");
    SaveFrameAction = ChartMenu->addAction("Save Frame as PNG...");
    ExportMovieAction = ChartMenu->addAction("Export Movie as GIF...");
    ChartMenu->addSeparator();
    ShowTrailAction = ChartMenu->addAction("Show Trail");
    ShowTrailAction->setCheckable(true);
    ShowTrailAction->setChecked(false);
    ChartMenu->addSeparator();
    YearAction = ChartMenu->addAction("Year at a Glance...");
    skewT_ = std::make_unique<app::TSkewTLink>(host_, *ChartMenu, climate_.get());
    IndicesAction = ChartMenu->addAction("Launch Indices...");
    IndicesAction->setObjectName("IndicesAction");
    ClimateAction = ChartMenu->addAction("Station Climatology...");
    ClimateAction->setObjectName("ClimateAction");
    climateWindow_ = std::make_unique<app::TClimateLink>(host_, *climate_);
    ShowClimateAction = ChartMenu->addAction("Show Climatology");
    ShowClimateAction->setObjectName("ShowClimateAction");
    ShowClimateAction->setCheckable(true);
    ShowClimateAction->setChecked(app::KeptOption(kShowClimate, false));
    climateBand_ = std::make_unique<app::TClimateBandLink>(
        host_, *climate_, [this] { return ShowClimateAction && ShowClimateAction->isChecked(); });
    StationAction = ChartMenu->addAction("Open Station...");
    StationAction->setObjectName("StationAction");
    StationAction->setShortcut(QKeySequence("Ctrl+Shift+O"));
    host_.HostWindow().addAction(StationAction);
    Stations = std::make_unique<app::TStationOpener>(host_, host_.HostProgramSettings());
    DateRangeAction = ChartMenu->addAction("Date Range...");
    DateRangeAction->setObjectName("DateRange_Action");

    const auto on = [this](QAction* Action, auto Command) {
        connect(Action, &QAction::triggered, this, [Command] { app::RunHandler(Command); });
    };
    on(StationAction, [this] { Stations->Show(); });
    on(SaveFrameAction, [this] { SaveFrameAsPng(); });
    on(ExportMovieAction, [this] { ExportMovieAsGif(); });
    on(YearAction, [this] { ShowYearWindow(); });
    on(IndicesAction, [this] { ShowIndicesWindow(); });
    on(ClimateAction, [this] {
        ShowClimateWindow();
        WantClimatology();
    });
    connect(ShowClimateAction, &QAction::toggled, this, [this](bool On) {
        app::RunHandler([this, On] {
            app::KeepOption(kShowClimate, On);
            climateBand_->Update();
            if (On) WantClimatology();
        });
    });
    on(DateRangeAction, [this] { host_.HostShowDateRange(); });
    connect(ShowTrailAction, &QAction::toggled, this, [this] { app::RunHandler([this] { trail_->Update(); }); });

    host_.HostChart().OnContextMenu = [this](QPoint Global) { ShowMenu(Global); };
}

void TWindowExtras::ShowMenu(QPoint Global)
{
    const TLapseRates* rates = host_.HostShownSet().Movie();
    ExportMovieAction->setEnabled(rates && rates->Count() > 0);
    if (PopupMenu) PopupMenu(*ChartMenu, Global);
}

void TWindowExtras::SaveFrameAsPng() { pictures_->SaveFrameAsPng(); }

void TWindowExtras::ExportMovieAsGif() { pictures_->ExportMovieAsGif(TrailShown()); }

bool TWindowExtras::TrailShown() const { return ShowTrailAction && ShowTrailAction->isChecked(); }

TTrail& TWindowExtras::Trail() { return trail_->Trail(); }

void TWindowExtras::ShowYearWindow() { year_->ShowWindow(); }

TYearWindow* TWindowExtras::YearWindow() const { return year_->Window(); }

void TWindowExtras::ShowIndicesWindow() { indices_->ShowWindow(); }

app::TIndicesWindow* TWindowExtras::IndicesWindow() const { return indices_->Window(); }

void TWindowExtras::WantClimatology()
{
    climate_->SetIgraBase(host_.HostProgramSettings().IgraBase());
    climate_->Want();
}

void TWindowExtras::ShowClimateWindow() { climateWindow_->ShowWindow(); }

app::TClimateWindow* TWindowExtras::ClimateWindow() const { return climateWindow_->Window(); }

std::string TWindowExtras::ReadoutAt(QPoint Pos) const { return tips_->TextAt(QPointF(Pos)); }
