#pragma once
// Levels every reader of a sounding knows, derived from its temperature
// profile: the surface height, the freezing level, a warm layer aloft, the
// tropopause and the lowest inversion.
//
// Every level with a height (LevelHeight: reported or computed) and a
// temperature takes part, in height order (a later level at a height already
// seen is skipped). A value the sounding cannot give is std::nullopt, never a
// number. Pressures are in hPa, the unit of every reader.

#include "sounding/Sounding.h"

#include <optional>
#include <vector>

// One level of the temperature profile.
struct TProfilePoint {
    float Height;                   // m
    float Temperature;              // degrees C
    float Pressure = MissingValue;  // hPa, MissingValue when the level has none
};

struct TTropopause {
    float Height;       // m
    float Temperature;  // degrees C
    // The level's own pressure, else one interpolated in ln p by height from
    // the levels around it; none when neither can be had.
    std::optional<float> Pressure = std::nullopt;  // hPa
};

struct TInversion {
    float Base;      // m
    float Top;       // m
    float Strength;  // degrees C gained from base to top
};

// A layer warmer than 0 C above air at or below 0 C (freezing rain).
struct TWarmLayer {
    float Base;            // m, where the air turns warmer than 0 C
    float Top;             // m, where it turns sub-zero again
    float MaxTemperature;  // degrees C, the warmest level inside
};

struct TDerivedLevels {
    // The reported height of the surface level (the level the file marks as
    // the surface, else the first level), else the height reckoned for it
    // (LevelHeight), when it lies within -500..6000 m.
    std::optional<float> SurfaceHeight;
    // True when the lowest level of the profile lies below 0 C.
    bool SurfaceBelowFreezing = false;
    // From the surface up, the lowest height where the air is at 0 C: a
    // level at exactly 0 C, else where warmer air cools to 0 C (linear in
    // height). A sub-zero surface: the top of the warm layer above it, or
    // the lowest level of the profile when no air above is warmer than 0 C.
    // None when the profile never reaches 0 C from above it.
    std::optional<float> FreezingLevel;
    // The lowest layer warmer than 0 C above a sub-zero level, closed by
    // sub-zero air above it.
    std::optional<TWarmLayer> WarmLayer;
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
std::optional<float> Height500hPa(const TSounding& Sounding);

// The surface height as TDerivedLevels gives it.
std::optional<float> SurfaceHeight(const TSounding& Sounding);

// Each derivation on its own, from a profile in height order.
std::optional<float> FreezingLevel(const std::vector<TProfilePoint>& Profile);
std::optional<TWarmLayer> WarmLayerAloft(const std::vector<TProfilePoint>& Profile);
// The WMO (1957) lapse-rate tropopause: the lowest level above 500 hPa (its
// own pressure below 500 hPa; a level without one: higher than Floor, the
// 500 hPa height) where the lapse rate to the next level is 2 C/km or less
// and the average lapse rate from it to every level up to 2 km higher, and
// to the temperature interpolated at exactly 2 km higher, stays at 2 C/km or
// less. The profile must reach 2 km above the level, otherwise the test
// cannot be made and the answer is none.
std::optional<TTropopause> LapseRateTropopause(const std::vector<TProfilePoint>& Profile, std::optional<float> Floor);
// The first layer from the surface up in which the temperature rises with
// height, level after level.
std::optional<TInversion> LowestInversion(const std::vector<TProfilePoint>& Profile);

TDerivedLevels DeriveLevels(const TSounding& Sounding);
// The same, reusing Buffer for the profile.
TDerivedLevels DeriveLevels(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer);
