#pragma once
// A height for every level: a level that has a pressure and a temperature
// but no reported height gets one from the hypsometric equation, reckoned
// from the nearest levels with a reported height.

#include "sounding/Sounding.h"

// Fills the Altitude of every level of Sounding: the reported Height where
// there is one, else a computed height, else missing. The hypsometric
// equation (virtual temperature where a dew point is known) is integrated in
// ln p from the nearest level below with a reported height (above, for the
// levels below the lowest one), and the miss at the next reported height
// above is spread linearly in ln p. Levels are taken in pressure order,
// whatever their order in the sounding; a level without a pressure keeps its
// reported height alone. The lowest reported height is not used when the
// next one above contradicts it by more than a tenth of the layer and 100 m
// and levels without a height lie between them (a surface height
// extrapolated from far-off levels); its level is computed like the others.
namespace sounding {

void ComputeHeights(TSounding& Sounding);

// Whether the surface of Sounding wants its station's elevation: the file
// marks a surface level (Sounding.Surface) with a pressure and no height, and
// no other level below 500 hPa (a pressure above 500 hPa) reports one, so
// the surface would be reckoned down from far aloft.
bool WantsStationElevation(const TSounding& Sounding);
// Gives such a surface the station's Elevation (m) as its Altitude, and
// reckons the levels without a height from it as from a reported one. The
// surface's Height stays missing: outputs that repeat the file are unchanged.
void UseStationElevation(TSounding& Sounding, float Elevation);

// The height of a level as drawn and reckoned: its Altitude, else its
// reported Height (for levels that ComputeHeights has not seen).
inline float LevelHeight(const TSoundingLevel& Level)
{
    return Level.Altitude != MissingValue ? Level.Altitude : Level.Height;
}

}  // namespace sounding
