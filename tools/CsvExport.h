#pragma once
// The soundings of a page as CSV: a header, then one row per stored level.

#include "sounding/LapseRates.h"

#include <string>
#include <string_view>

// The shortest text that reads back to the same single-precision value
// (-9999 stays "-9999").
std::string SingleText(float Value);

// A field as CSV needs it: quoted, with doubled quotes, when it holds a
// comma, a quote or a line break; otherwise as it is.
std::string CsvField(std::string_view Text);

// Header "sounding,title,pressure,height,temperature,dewpoint_diff,
// wind_direction,wind_speed", then each sounding's levels in stored order
// with the sounding's 0-based index and title. A sounding without levels
// still gets one row, its six value fields empty.
std::string SoundingsToCsv(const TLapseRates& Set);
