#pragma once
// The derived levels of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"

#include <string>

// Header "sounding,title,surface_height,freezing_level,warm_layer_base,
// warm_layer_top,warm_layer_max_temperature,tropopause_height,
// tropopause_temperature,tropopause_pressure,inversion_base,inversion_top,
// inversion_strength", then one row per sounding with its 0-based index and
// title (DeriveLevels); a level the sounding does not give leaves its field
// empty. Numbers have one decimal (m, hPa, degrees C), with "." whatever the
// locale.
std::string LevelsToCsv(const TLapseRates& Set);
