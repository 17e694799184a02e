#pragma once
// The station elevations (and latitudes) the program knows: from the
// station list that "Update Station List" downloaded into the cache, else the
// one bundled beside the program.

#include "sounding/Sounding.h"
#include "sounding/StationList.h"

namespace download {

// A lookup that reads the list the first time it is asked (nothing when
// neither list reads as one).
sounding::TElevationOf StationElevations();
// The same for the latitudes (degrees north).
sounding::TElevationOf StationLatitudes();

// Whether the station of Sounding (by the id of its launch) lies south of
// the equator, as far as the station list tells; false when unknown. For one
// thread (the list is read once, on first use).
bool SouthOfEquator(const TSounding& Sounding);

// That station list itself; empty when neither reads as one.
sounding::TStationList KnownStationList();

}  // namespace download
