#pragma once
// The trail: the temperature profiles of the frames just before the current
// one, drawn in ever paler tints of the temperature colour behind it, so the
// eye sees which way the profile is moving. Its series are appended after
// every other series of the chart (the first time the trail is shown), so no
// series changes its index; while the trail is off they stay hidden.

#include "app/Follower.h"
#include "components/jtComponent.h"

#include <functional>
#include <string>
#include <vector>

class TChart;
class TLapseRates;
class TLineSeries;

// How many earlier frames the trail shows.
inline constexpr int TrailLength = 5;

// The tint of the profile Step frames back (1 .. TrailLength): the
// temperature colour blended towards white, by a sixth more at each step.
TColor TrailTint(TColor Temperature, int Step);

// "Temperature, 1 frame before", "Temperature, 2 frames before", ...
std::string TrailTitle(int Step);

// Puts a series on the chart's layer behind all other series.
void PlaceBehindOtherSeries(TChart& Chart, TLineSeries& Series);

class TTrail {
public:
    explicit TTrail(TChart& Chart) : chart_(Chart) {}

    // The series of the profile Step frames back (1 .. TrailLength), or null
    // while the trail has never been shown.
    TLineSeries* Series(int Step) const;
    bool Created() const { return !series_.empty(); }

    // Takes over trail series that already exist, at FirstSlot and the
    // slots after it (a copy of a chart that had a trail).
    void Adopt(int FirstSlot);

    // Shown: the series hold the profiles of the frames Rates.Current - 1 ..
    // Rates.Current - TrailLength that exist (the trail does not wrap round
    // from the first frame to the last); the others are emptied and hidden.
    // Not shown: every trail series is hidden.
    void Update(const TLapseRates* Rates, bool Shown);

private:
    void Create();
    TChart& chart_;
    std::vector<TLineSeries*> series_;
};

namespace app {

// The trail on the window's chart: it follows the frame on show while
// Shown says it is on (a new page alone does not move it).
class TTrailLink : public TFollower {
public:
    TTrailLink(IExtrasHost& Host, std::function<bool()> Shown);

    TTrail& Trail() { return trail_; }
    // Draws the trail of the frame on show, or hides it.
    void Update();

private:
    void PageChanged() override {}
    void FrameChanged() override { Update(); }

    TTrail trail_;
    std::function<bool()> shownNow_;
};

}  // namespace app
