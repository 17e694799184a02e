#pragma once
// The stability indices of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"
#include "tools/CsvExport.h"

#include <string>

namespace tools {

// The header line, then one row per sounding with its 0-based index and
// title and the indices of sounding::ComputeIndices, a column for each of
// sounding::IndexQuantities() with its decimals, "." whatever the locale;
// an index the sounding cannot give leaves its field empty.
std::string IndicesToCsv(const TLapseRates& Set);
// The same text handed to Sink in pieces as it is made, on two cores, a run
// of launches at a time: the whole text is never held.
bool WriteIndicesCsv(const TLapseRates& Set, const TCsvSink& Sink);

}  // namespace tools
