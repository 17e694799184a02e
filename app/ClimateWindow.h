#pragma once
// "Station Climatology...": one quantity of the station across the year
// against its climatology (the bands of the launch's group), this year's
// launches as dots, the launch on show as a large marker, and a line in
// words placing the launch in its date's climatology. It follows the movie.

#include "analysis/ClimateViews.h"
#include "app/Follower.h"
#include "chart/ClimateBand.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class TClimatePlot;

namespace app {

class TClimateSource;

class TClimateWindow : public QWidget {
public:
    // A window of its own; Parent (the main window) only places it.
    explicit TClimateWindow(QWidget* Parent);

    QComboBox* Quantity = nullptr;  // every index, derived level and standard-pressure value
    TClimatePlot* Plot = nullptr;
    QLabel* Sentence = nullptr;  // the launch in words
    QLabel* Span = nullptr;      // the years and launches of the climatology, or why there is none

    // Shows Current (null: none) among Record (the whole set on show)
    // against Climate (null: none, Status says why).
    void Show(const sounding::TClimatology* Climate, const std::string& Status, const std::vector<TSounding>& Record,
              const TSounding* Current, const std::string& Name);
    const sounding::TClimateChoice& Choice() const;

    // Skipped when empty: the user chose another quantity.
    std::function<void()> OnChoice;

private:
    // The launches of Current's year and group with a value of the choice.
    void CollectDots(const std::vector<TSounding>& Record, const TSounding& Current, std::vector<double>& Days,
                     std::vector<double>& Values, double& Height);

    // What the dots were collected for, so that a new frame of the same
    // year reuses them.
    const std::vector<TSounding>* dotsRecord_ = nullptr;
    std::size_t dotsCount_ = 0;
    int dotsYear_ = 0, dotsGroup_ = -1, dotsChoice_ = -1;
    std::vector<double> dotDays_, dotValues_, dotHeights_;
};

class TClimateLink : public TFollower {
public:
    TClimateLink(IExtrasHost& Host, TClimateSource& Source);
    ~TClimateLink() override;

    void ShowWindow();
    // Null until first opened.
    TClimateWindow* Window() const { return window_.get(); }

private:
    void FrameChanged() override;
    void MainClosing() override;
    void ShowFrame();

    TClimateSource& source_;
    std::unique_ptr<TClimateWindow> window_;
};

// The main chart's "Show Climatology": the temperature bands of the day and
// group of the launch on show behind its profile while Shown() says so.
class TClimateBandLink : public TFollower {
public:
    TClimateBandLink(IExtrasHost& Host, TClimateSource& Source, std::function<bool()> Shown);

    void Update();

private:
    void FrameChanged() override { Update(); }

    TClimateSource& source_;
    std::function<bool()> wanted_;
};

// The temperature bands of a launch's group and day at the climatology's
// heights (those with percentiles); empty without a group or a date.
TClimateBand TemperatureBand(const sounding::TClimatology& Climate, const TSounding& Sounding);
// The bands of Quantity at the pressures of a launch's levels (Height holds
// the pressures, falling), looked up at the launch's heights of them.
TClimateBand PressureBand(const sounding::TClimatology& Climate, const TSounding& Sounding,
                          sounding::TProfileQuantity Quantity);

}  // namespace app
