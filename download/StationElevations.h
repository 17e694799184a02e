#pragma once
// The station elevations the program knows: from the station list that
// "Update Station List" downloaded into the cache, else the one bundled
// beside the program.

#include "sounding/StationList.h"

namespace download {

// A lookup that reads the list the first time it is asked (nothing when
// neither list reads as one).
sounding::TElevationOf StationElevations();

// That station list itself; empty when neither reads as one.
sounding::TStationList KnownStationList();

}  // namespace download
