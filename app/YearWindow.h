#pragma once
// The year at a glance: a window of its own with the time-height section of
// the page on show, a marker at the frame on show and a read-out of the
// point under the mouse. It only shows; the window's additions tell it what.

#include "app/Follower.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class IExtrasHost;
class QLabel;
class QRadioButton;
class TColourSection;
struct TSounding;
namespace sounding {
class TClimatology;
}
namespace app {
class TClimateSource;
}

class TYearWindow : public QWidget {
public:
    // A window of its own; Parent (the main window) only places it.
    explicit TYearWindow(QWidget* Parent);

    TColourSection* Section = nullptr;
    QLabel* Readout = nullptr;  // "title, height m, temperature C" under the mouse
    // The switch between temperature and its anomaly from the day's median;
    // the anomaly wants a climatology (the note says why there is none).
    QRadioButton* TemperatureButton = nullptr;
    QRadioButton* AnomalyButton = nullptr;
    QLabel* ClimateNote = nullptr;

    // The climatology the anomaly is taken from (null: none, for the reason
    // Status gives); used at the next ShowPage.
    void SetClimatology(const sounding::TClimatology* Climate, const std::string& Status);
    bool AnomalyShown() const;
    // The user switched between temperature and anomaly. Skipped when empty.
    std::function<void()> OnModeChange;

    // Draws the section of a page up to HeightMax m; PageName is what the
    // main window's caption names (files, "+ N more", the date range) and
    // heads the map when the soundings name no station. A page without
    // soundings shows an empty map.
    void ShowPage(const std::string& PageName, const std::vector<TSounding>& Soundings, double HeightMax);
    // Puts the marker at the column of a sounding; -1 hides it.
    void ShowSounding(int Sounding);

    // A click in the map on a column with a launch: that column's sounding.
    // Skipped when empty.
    std::function<void(int Sounding)> OnSoundingClick;

    // A size and place on the screen of Main: beside it (below first) where
    // the screen has room, always on the screen.
    void PlaceBeside(const QWidget& Main);

private:
    const sounding::TClimatology* climate_ = nullptr;
};

namespace app {

// The year window beside the main one: opened (or raised) on demand, shown
// the page and the frame the main window shows while it is open; a click in
// its map moves the movie to that sounding. It belongs to the main window
// and closes with it; it opens where the user left it last.
class TYearLink : public TFollower {
public:
    // Source (may be null) gives the climatology of the anomaly.
    explicit TYearLink(IExtrasHost& Host, TClimateSource* Source = nullptr);
    ~TYearLink() override;

    void ShowWindow();
    // Null until first opened.
    TYearWindow* Window() const { return window_.get(); }

private:
    void FrameChanged() override;
    void PageChanged() override;
    void MainClosing() override;
    void ShowPage();

    TClimateSource* source_;
    std::unique_ptr<TYearWindow> window_;
};

}  // namespace app
