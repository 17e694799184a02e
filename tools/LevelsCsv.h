#pragma once
// The derived levels of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"

#include <string>

// Header "sounding,title,surface_height,freezing_level,tropopause_height,
// tropopause_temperature,inversion_base,inversion_top,inversion_strength",
// then one row per sounding with its 0-based index and title; a level the
// sounding does not give leaves its field empty. Numbers are written as the
// level CSV writes them, with "." whatever the locale.
std::string LevelsToCsv(const TLapseRates& Set);
