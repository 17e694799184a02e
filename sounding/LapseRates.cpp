#include "sounding/LapseRates.h"

#include <algorithm>
#include <utility>

void TLapseRates::Clear() { Soundings = {}; }

void TLapseRates::SetSoundings(std::vector<TSounding> Ready)
{
    ++loadGeneration_;
    Soundings = std::move(Ready);
}

int TLapseRates::Count() const { return static_cast<int>(Soundings.size()); }

const TSounding* TLapseRates::CurrentSounding() const
{
    if (Current < 0 || Current >= Count()) return nullptr;
    return &Soundings[static_cast<std::size_t>(Current)];
}

void TLapseRates::PlotFrame(int Index, TPlotSeries& Series)
{
    if (Count() < 1) return;
    Current = std::clamp(Index, 0, Count() - 1);
    Soundings[static_cast<std::size_t>(Current)].PlotTemperature(Series);
}

// The plot comes before the move: the series shows the sounding that was
// current when the call began.
int TLapseRates::Step(TPlotSeries& Series, int Direction)
{
    if (Current < 0 && Count() > 0) Current = 0;
    // An empty set, or a load that left fewer soundings than Current counts:
    // nothing to show, and the cursor stays where it is.
    const TSounding* sounding = CurrentSounding();
    if (!sounding) return Current;
    sounding->PlotTemperature(Series);
    Current += Direction;
    if (Current >= Count()) Current = 0;
    if (Current < 0) Current = Count() - 1;
    return Current;
}

int TLapseRates::PlotNext(TPlotSeries& Series) { return Step(Series, +1); }

int TLapseRates::PlotPrev(TPlotSeries& Series) { return Step(Series, -1); }

std::string TLapseRates::CurrentTitle() const
{
    const TSounding* sounding = CurrentSounding();
    return sounding ? sounding->Title : std::string();
}

void TLapseRates::PlotQuantity(TSoundingQuantity Kind, TPlotSeries& Series)
{
    const TSounding* sounding = CurrentSounding();
    if (!sounding) return;
    switch (Kind) {
    case sqDewPointDiff: PlotDewPointDiff(*sounding, Series); break;
    case sqWindDirection: PlotWindDirection(*sounding, Series); break;
    case sqWindSpeed: PlotWindSpeed(*sounding, Series); break;
    default: break;
    }
}
