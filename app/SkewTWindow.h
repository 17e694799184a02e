#pragma once
// The skew-T log-p window: the diagram of the launch on show, a read-out of
// the point under the mouse (two lines: the launch at that pressure, then
// the point itself), a menu on the diagram for the lifted parcel and the
// index box,
// and its place on the screen kept in the settings. It follows the movie as
// the year window does; Left and Right (or Page Up and Page Down) move the
// movie a launch back or on.

#include "app/Follower.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class IExtrasHost;
class QAction;
class QLabel;
class QMenu;
namespace settings {
class TProgramSettings;
}
class TSounding;

namespace chart {
class TSkewT;
}

namespace app {

class TClimateSource;

class TSkewTWindow : public QWidget {
public:
    // A window of its own; Parent (the main window) only places it.
    explicit TSkewTWindow(QWidget* Parent);

    chart::TSkewT* Diagram = nullptr;
    QLabel* Readout = nullptr;              // the read-out under the mouse, else the settings' note
    QMenu* ParcelMenu = nullptr;            // the diagram's menu
    QAction* MixedLayerAction = nullptr;    // "Mixed-Layer Parcel", checked at first
    QAction* SurfaceBasedAction = nullptr;  // "Surface-Based Parcel"
    QAction* MostUnstableAction = nullptr;  // "Most-Unstable Parcel"
    QAction* BoxAction = nullptr;           // "Index Box", checked at first

    // A note on the settings (a pressure range refused), shown below the
    // diagram while the mouse is not over it; empty for none.
    void SetNote(const std::string& Note);
    const std::string& Note() const { return note_; }

    // The caption names the launch and what the main window's caption names
    // (PageName: files, "+ N more", the date range or the station); null or
    // an empty launch shows an empty diagram with a note.
    void ShowSounding(const std::string& PageName, const TSounding* Sounding);

    // A key asked for the launch before (-1) or after (+1). Skipped when empty.
    std::function<void(int Step)> OnStep;
    // The window was closed. Skipped when empty.
    std::function<void()> OnClosed;
    // Opens the parcel menu at a global position; by default it pops up there.
    std::function<void(QMenu& Menu, QPoint Global)> PopupMenu;

    // Beside the main window where the screen has room; on the screen.
    void PlaceBeside(const QWidget& Main);
    // The place and size of section "Skew-T" (Left, Top, Width, Height), put
    // on the screen; false (nothing changes) when the settings hold none.
    // The settings are only read: the place the user leaves the window at is
    // kept in the user's configuration folder (app/WindowPlaces.h).
    bool PlaceFromSettings(const settings::TProgramSettings& Settings);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void ShowReadout(const std::string& Text);

    std::string note_;
};

// The "Skew-T log-p..." entry of the chart's menu and the window it opens:
// the window shows the frame on show and each new page while it is open.
class TSkewTLink : public TFollower {
public:
    // Adds the entry at the end of Menu.
    // Source (may be null) gives the climate bands behind the traces.
    TSkewTLink(IExtrasHost& Host, QMenu& Menu, TClimateSource* Source = nullptr);
    ~TSkewTLink() override;

    QAction* Action = nullptr;  // "Skew-T log-p..."
    // Opens the window (where the user left it, else as the settings say,
    // else beside the main window), or raises it when it is open already.
    void ShowWindow();
    // Null until first opened.
    TSkewTWindow* Window() const { return window_.data(); }

private:
    void FrameChanged() override;
    // The main window closes: the window closes (keeping its place).
    void MainClosing() override;
    void ShowFrame();

    TClimateSource* source_;
    // Belongs to the main window; goes with this entry when it goes first.
    QPointer<TSkewTWindow> window_;
};

}  // namespace app
