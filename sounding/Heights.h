#pragma once
// A height for every level: a level that has a pressure and a temperature
// but no reported height gets one from the hypsometric equation, reckoned
// from the nearest levels with a reported height.

#include "sounding/Sounding.h"

// Fills the Altitude of every level of Sounding: the reported Height where
// there is one, else a computed height, else missing.
void ComputeHeights(TSounding& Sounding);

// The height of a level as drawn and reckoned: its Altitude, else its
// reported Height (for levels that ComputeHeights has not seen).
inline float LevelHeight(const TSoundingLevel& Level)
{
    return Level.Altitude != MissingValue ? Level.Altitude : Level.Height;
}
