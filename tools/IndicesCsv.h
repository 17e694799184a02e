#pragma once
// The stability indices of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"

#include <string>

namespace tools {

// The header of the indices CSV.
inline constexpr char kIndicesCsvHeader[] =
    "sounding,title,showalter,lifted_index,lifted_index_virtual,sweat,k_index,cross_totals,vertical_totals,"
    "totals_totals,cape,cape_virtual,cin,cin_virtual,equilibrium_level,equilibrium_level_virtual,lfc,lfc_virtual,"
    "bulk_richardson,bulk_richardson_virtual,lcl_temperature,lcl_pressure,mixed_layer_theta,"
    "mixed_layer_mixing_ratio,thickness_1000_500,precipitable_water,cape_surface,cin_surface,cape_most_unstable,"
    "cin_most_unstable";

// The header line, then one row per sounding with its 0-based index and
// title and the indices of sounding::ComputeIndices: CAPE, CIN (J/kg) and
// the thickness (m) to 0.1, everything else (indices, K, hPa, g/kg, mm) to
// 0.01, "." whatever the locale; an index the sounding cannot give leaves
// its field empty.
std::string IndicesToCsv(const TLapseRates& Set);

}  // namespace tools
