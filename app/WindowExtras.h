#pragma once
// What the main window offers besides its own controls: a menu on the chart
// to save the frame on show as a PNG picture, to export the page as an
// animated GIF and to show a trail of the earlier frames; pages dropped on
// the window or named on the command line; accessible names for the
// controls without a caption; and a read-out of the point under the mouse.
// None of it changes what the window shows until the user asks for it.

#include "app/ExtrasHost.h"
#include "app/Trail.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QEvent;
class QMenu;
class QMimeData;
class QMouseEvent;
class QWidget;
class TChart;
class TLapseRates;
class TYearWindow;
namespace app {
class TIndicesWindow;
class TSkewTLink;
class TStationOpener;
}

class TWindowExtras : public QObject {
public:
    explicit TWindowExtras(IExtrasHost& Host);
    ~TWindowExtras() override;

    // The chart's menu and its entries.
    QMenu* ChartMenu = nullptr;
    QAction* SaveFrameAction = nullptr;     // "Save Frame as PNG..."
    QAction* ExportMovieAction = nullptr;   // "Export Movie as GIF..."
    QAction* ShowTrailAction = nullptr;     // "Show Trail", checkable, off at first
    QAction* YearAction = nullptr;          // "Year at a Glance..."
    QAction* IndicesAction = nullptr;       // "Launch Indices..."
    QAction* StationAction = nullptr;       // "Open Station...", Ctrl+Shift+O in the window
    std::unique_ptr<app::TStationOpener> Stations;

    // Opens the menu at a global position; by default it pops up there.
    std::function<void(QMenu& Menu, QPoint Global)> PopupMenu;

    // The menu's commands. Errors leave them (the general handler shows
    // them); a cancelled export ends quietly. Either way no file is left
    // under the chosen name unless it was written completely.
    void SaveFrameAsPng();
    void ExportMovieAsGif();

    // The trail and the year window's marker follow the frame on show; the
    // window calls this whenever the frame changes.
    void FrameChanged();
    // The window calls this after each page read (also a failed one): an
    // open year window shows the new page.
    void PageChanged();

    // Opens the year window, or raises it when it is open already. A click
    // in its map moves the movie to that sounding. Closing it stops its
    // updates; closing the main window closes it.
    void ShowYearWindow();
    // The year window; null until it is first opened.
    TYearWindow* YearWindow() const { return year_.get(); }
    // Opens the indices window (or raises it), which lists the indices of
    // the frame on show while it is open; null until it is first opened.
    void ShowIndicesWindow();
    app::TIndicesWindow* IndicesWindow() const { return indices_.get(); }
    bool TrailShown() const;
    TTrail& Trail() { return trail_; }
    // "Skew-T log-p..." on the chart's menu and its window.
    app::TSkewTLink& SkewT() const { return *skewT_; }

    // The read-out for the mouse at Pos, in the chart's plot pixels; empty
    // when no shown point lies near it.
    std::string ReadoutAt(QPoint Pos) const;

    // The local file a drag carries (its first URL), or empty when it
    // carries none that could be a page.
    static std::string DroppedPage(const QMimeData* Data);

    // The page named on the command line: the first argument, when it comes
    // before every switch (the arguments after a switch are its value). A
    // name that is found from the working directory becomes its full path;
    // a bare name found nowhere is kept, so it is looked up beside the pages
    // as a catalogue entry is.
    static std::string PageArgument(const std::vector<std::string>& Args);
    // Every file named before the first switch, each as PageArgument gives it.
    static std::vector<std::string> PageArguments(const std::vector<std::string>& Args);
    // Every local file a drag carries, in its order.
    static std::vector<std::string> DroppedFiles(const QMimeData* Data);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMenu();
    void SetAccessibleNames();
    void ShowMenu(QPoint Global);
    void MouseMoved(QMouseEvent* Event);
    // The save dialog for one kind of file: the chosen name (with Extension
    // added when it has none), or empty when the user cancelled or refused
    // to replace an existing file.
    std::string AskTarget(const std::string& Title, const std::string& Filter, const std::string& Extension,
                          const std::string& Suggested);
    std::string PageBaseName() const;
    void ShowPageInYearWindow();
    void ShowFrameInIndicesWindow();

    IExtrasHost& host_;
    TTrail trail_;
    std::string lastDirectory_;
    std::unique_ptr<TYearWindow> year_;
    std::unique_ptr<app::TIndicesWindow> indices_;
    app::TSkewTLink* skewT_ = nullptr;  // owned by the menu
};
