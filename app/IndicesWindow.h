#pragma once
// The launch's indices: a small window of its own listing the stability
// indices of the sounding on show, each with its unit, its derived levels,
// and the wind's shear, storm motion, helicity and composites. It only shows; the window's additions tell it which
// sounding.

#include "app/Follower.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class IExtrasHost;
class QLabel;
class QTableWidget;
struct TSounding;
namespace sounding {
class TClimatology;
}

namespace app {

class TClimateSource;

class TIndicesWindow : public QWidget {
public:
    // A window of its own; Parent (the main window) only places it.
    explicit TIndicesWindow(QWidget* Parent);

    QLabel* Caption = nullptr;      // the sounding's title, or "No sounding"
    QTableWidget* Table = nullptr;  // one row per value: name, value, unit

    // Lists the values of Sounding (as the CSV files write them, wind
    // speeds also in knots); null empties the list. A value the sounding
    // cannot give reads "none". The caption names the launch and Name, what
    // the main window's caption names. South: a station south of the
    // equator, whose helicity rows are reckoned for the left mover and say so.
    void ShowSounding(const TSounding* Sounding, const std::string& Name = "", bool South = false);

    // The value text in the row named Name ("" when there is no such row).
    std::string ValueOf(const std::string& Name) const;

    // The station climatology the values are ranked in (null: none; the
    // percentile column stays empty). Taken at the next ShowSounding.
    void SetClimatology(const sounding::TClimatology* Climate) { climate_ = Climate; }
    // The percentile text of the row named Name ("97th", "" without one),
    // and whether it is bold (above the 90th or below the 10th).
    std::string PercentileOf(const std::string& Name, bool* Bold = nullptr) const;

    // A place on the screen of Main: beside it (right first) where the
    // screen has room, always on the screen.
    void PlaceBeside(const QWidget& Main);
    // Sizes the columns to their texts; the window size that shows every
    // row and column whole.
    QSize ContentSize() const;

private:
    void ShowPercentiles(const TSounding* Sounding, const std::vector<std::optional<double>>& Values);

    const sounding::TClimatology* climate_ = nullptr;
};

// The indices window beside the main one: opened (or raised) on demand, it
// lists the indices of the frame on show while it is open.
class TIndicesLink : public TFollower {
public:
    // Source (may be null) gives the climatology the values are ranked in.
    explicit TIndicesLink(IExtrasHost& Host, TClimateSource* Source = nullptr);
    ~TIndicesLink() override;

    void ShowWindow();
    // Null until first opened.
    TIndicesWindow* Window() const { return window_.get(); }

private:
    void FrameChanged() override;
    // The main window closes: the window closes (keeping its place).
    void MainClosing() override;
    void ShowFrame();

    TClimateSource* source_;
    std::unique_ptr<TIndicesWindow> window_;
};

}  // namespace app
