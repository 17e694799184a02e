#pragma once
// What the main window offers besides its own controls, gathered in the
// chart's menu: pictures saved as files, a trail of the earlier frames, the
// year, skew-T and indices windows, opening a station and narrowing the
// dates; besides the menu, pages dropped on the window, a read-out of the
// point under the mouse and accessible names for the controls without a
// caption. Each job is a class of its own; this one builds the menu. The
// trail and the windows follow the shown set themselves. None of it changes
// what the window shows until the user asks for it.

#include "app/ExtrasHost.h"
#include "app/Trail.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class TYearWindow;
namespace app {
class TClimateBandLink;
class TClimateLink;
class TClimateSource;
class TClimateWindow;
class TIndicesLink;
class TIndicesWindow;
class TPageDrops;
class TPictureSaver;
class TPointTips;
class TSkewTLink;
class TStationOpener;
class TTrailLink;
class TYearLink;
}  // namespace app

class TWindowExtras : public QObject {
public:
    explicit TWindowExtras(IExtrasHost& Host);
    ~TWindowExtras() override;

    // The chart's menu and its entries.
    QMenu* ChartMenu = nullptr;
    QAction* SaveFrameAction = nullptr;    // "Save Frame as PNG..."
    QAction* ExportMovieAction = nullptr;  // "Export Movie as GIF..."
    QAction* ShowTrailAction = nullptr;    // "Show Trail", checkable, off at first
    QAction* YearAction = nullptr;         // "Year at a Glance..."
    QAction* IndicesAction = nullptr;      // "Launch Indices..."
    QAction* ClimateAction = nullptr;      // "Station Climatology..."
    QAction* ShowClimateAction = nullptr;  // "Show Climatology", checkable, remembered, off at first
    QAction* StationAction = nullptr;      // "Open Station...", Ctrl+Shift+O in the window
    QAction* DateRangeAction = nullptr;    // "Date Range...": the host's date range dialog
    std::unique_ptr<app::TStationOpener> Stations;

    // Opens the menu at a global position; by default it pops up there.
    std::function<void(QMenu& Menu, QPoint Global)> PopupMenu;

    // The menu's commands. Errors leave them (the general handler shows
    // them); a cancelled export ends quietly. Either way no file is left
    // under the chosen name unless it was written completely.
    void SaveFrameAsPng();
    void ExportMovieAsGif();

    // Opens the year window, or raises it when it is open already.
    void ShowYearWindow();
    // The year window; null until it is first opened.
    TYearWindow* YearWindow() const;
    // Opens the indices window (or raises it); null until it is first opened.
    void ShowIndicesWindow();
    app::TIndicesWindow* IndicesWindow() const;
    // Opens the climatology window (or raises it); null until first opened.
    void ShowClimateWindow();
    // Asks the climate source for the climatology (it may offer to download
    // the station's whole record).
    void WantClimatology();
    app::TClimateWindow* ClimateWindow() const;
    // The station climatology the windows compare with.
    app::TClimateSource& Climate() const { return *climate_; }
    bool TrailShown() const;
    TTrail& Trail();
    // "Skew-T log-p..." on the chart's menu and its window.
    app::TSkewTLink& SkewT() const { return *skewT_; }

    // The read-out for the mouse at Pos, in the chart's plot pixels; empty
    // when no shown point lies near it.
    std::string ReadoutAt(QPoint Pos) const;

private:
    void CreateMenu();
    void ShowMenu(QPoint Global);

    IExtrasHost& host_;
    std::unique_ptr<app::TClimateSource> climate_;
    std::unique_ptr<app::TTrailLink> trail_;
    std::unique_ptr<app::TPictureSaver> pictures_;
    std::unique_ptr<app::TYearLink> year_;
    std::unique_ptr<app::TIndicesLink> indices_;
    std::unique_ptr<app::TPageDrops> drops_;
    std::unique_ptr<app::TPointTips> tips_;
    std::unique_ptr<app::TSkewTLink> skewT_;
    std::unique_ptr<app::TClimateLink> climateWindow_;
    std::unique_ptr<app::TClimateBandLink> climateBand_;
};
