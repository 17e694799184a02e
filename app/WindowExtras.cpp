#include "app/WindowExtras.h"

#include "app/Application.h"
#include "app/IndicesWindow.h"
#include "app/PageDrops.h"
#include "app/PictureSaver.h"
#include "app/PointReadout.h"
#include "app/SkewTWindow.h"
#include "app/StationOpener.h"
#include "app/YearWindow.h"
#include "chart/Chart.h"
#include "sounding/LapseRates.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QWidget>

TWindowExtras::TWindowExtras(IExtrasHost& Host)
    : host_(Host),
      trail_(Host.HostChart()),
      pictures_(std::make_unique<app::TPictureSaver>(Host)),
      year_(std::make_unique<app::TYearLink>(Host)),
      indices_(std::make_unique<app::TIndicesLink>(Host)),
      drops_(std::make_unique<app::TPageDrops>(Host)),
      tips_(std::make_unique<app::TPointTips>(Host.HostChart()))
{
    setObjectName("WindowExtras");
    PopupMenu = [](QMenu& Menu, QPoint Global) { Menu.popup(Global); };
    CreateMenu();
    // The controls without a caption get the name a screen reader gives.
    for (const auto& [control, name] : host_.HostUncaptionedControls())
        if (control) control->setAccessibleName(app::Q(name));
    host_.HostWindow().installEventFilter(this);
}

TWindowExtras::~TWindowExtras()
{
    year_.reset();
    Stations.reset();
    host_.HostWindow().removeEventFilter(this);
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
    skewT_ = new app::TSkewTLink(host_, *ChartMenu);
    IndicesAction = ChartMenu->addAction("Launch Indices...");
    IndicesAction->setObjectName("IndicesAction");
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
    on(DateRangeAction, [this] { host_.HostShowDateRange(); });
    connect(ShowTrailAction, &QAction::toggled, this, [this] { app::RunHandler([this] { FrameChanged(); }); });

    host_.HostChart().OnContextMenu = [this](QPoint Global) { ShowMenu(Global); };
}

void TWindowExtras::ShowMenu(QPoint Global)
{
    ExportMovieAction->setEnabled(host_.HostSoundings() && host_.HostSoundings()->Count() > 0);
    if (PopupMenu) PopupMenu(*ChartMenu, Global);
}

void TWindowExtras::SaveFrameAsPng() { pictures_->SaveFrameAsPng(); }

void TWindowExtras::ExportMovieAsGif() { pictures_->ExportMovieAsGif(TrailShown()); }

bool TWindowExtras::TrailShown() const { return ShowTrailAction->isChecked(); }

void TWindowExtras::FrameChanged()
{
    trail_.Update(host_.HostSoundings(), TrailShown());
    year_->FrameChanged();
    skewT_->FrameChanged();
    indices_->FrameChanged();
}

void TWindowExtras::PageChanged()
{
    year_->PageChanged();
    skewT_->PageChanged();
    indices_->FrameChanged();
}

void TWindowExtras::ShowYearWindow() { year_->ShowWindow(); }

TYearWindow* TWindowExtras::YearWindow() const { return year_->Window(); }

void TWindowExtras::ShowIndicesWindow() { indices_->ShowWindow(); }

app::TIndicesWindow* TWindowExtras::IndicesWindow() const { return indices_->Window(); }

std::string TWindowExtras::ReadoutAt(QPoint Pos) const { return tips_->TextAt(QPointF(Pos)); }

bool TWindowExtras::eventFilter(QObject* Watched, QEvent* Event)
{
    // The year, skew-T and indices windows belong to the main window and go
    // with it.
    if (Watched == &host_.HostWindow() && Event->type() == QEvent::Close && Event->isAccepted()) {
        year_->MainClosing();
        skewT_->MainClosing();
        indices_->MainClosing();
    }
    return false;
}
