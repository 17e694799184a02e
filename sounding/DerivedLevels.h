#pragma once
// Levels every reader of a sounding knows, derived from its temperature
// profile: the freezing level, the tropopause and the lowest inversion.
//
// Only levels with both a height and a temperature take part, in height
// order (a later level at a height already seen is skipped). A value the
// sounding cannot give is std::nullopt, never a number.

#include "sounding/Sounding.h"

#include <optional>
#include <vector>

// One level of the temperature profile.
struct TProfilePoint {
    float Height;       // m
    float Temperature;  // degrees C
};

struct TTropopause {
    float Height;       // m
    float Temperature;  // degrees C
};

struct TInversion {
    float Base;      // m
    float Top;       // m
    float Strength;  // degrees C gained from base to top
};

struct TDerivedLevels {
    // The lowest level of the profile.
    std::optional<float> SurfaceHeight;
    // True when the surface temperature lies below 0 C.
    bool SurfaceBelowFreezing = false;
    // The lowest height where the temperature crosses 0 C going up; none
    // when the whole profile lies on one side of it.
    std::optional<float> FreezingLevel;
    std::optional<TTropopause> Tropopause;
    std::optional<TInversion> Inversion;
};

// The levels with a height and a temperature, in height order. Buffer is
// reused (cleared first) so that a loop over many soundings allocates once.
void TemperatureProfile(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer);

// The height of the 500 hPa surface, from the levels with a pressure and a
// height: interpolated in log pressure between the last level with 500 hPa
// or more and the first with less. None when no level has less. Levels
// without a pressure are placed by their height against this surface.
// Pressures are in hPa, the unit of the station pages.
std::optional<float> Height500hPa(const TSounding& Sounding);

// Each derivation on its own, from a profile in height order.
std::optional<float> FreezingLevel(const std::vector<TProfilePoint>& Profile);
// The WMO lapse-rate tropopause: the lowest level above Floor (the 500 hPa
// height) where the lapse rate to the next level is 2 C/km or less and the
// average lapse rate from it to every level up to 2 km higher stays at
// 2 C/km or less. The profile must reach 2 km above the level, otherwise the
// test cannot be made and the answer is none.
std::optional<TTropopause> LapseRateTropopause(const std::vector<TProfilePoint>& Profile, float Floor);
// The first layer from the surface up in which the temperature rises with
// height, level after level.
std::optional<TInversion> LowestInversion(const std::vector<TProfilePoint>& Profile);

TDerivedLevels DeriveLevels(const TSounding& Sounding);
// The same, reusing Buffer for the profile.
TDerivedLevels DeriveLevels(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer);
