#pragma once
// The stability indices of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"

#include <string>

namespace tools {

// The header line, then one row per sounding with its 0-based index and
// title and the indices of sounding::ComputeIndices, a column for each of
// sounding::IndexQuantities() with its decimals, "." whatever the locale;
// an index the sounding cannot give leaves its field empty.
std::string IndicesToCsv(const TLapseRates& Set);

}  // namespace tools
