#pragma once
// The derived levels of a page's soundings as CSV: one row per sounding.

#include "sounding/LapseRates.h"
#include "tools/CsvExport.h"

#include <string>

// The header line, then one row per sounding with its 0-based index and
// title and the levels of DeriveLevels, a column for each of
// sounding::LevelQuantities() with its decimals (one: m, hPa, degrees C),
// "." whatever the locale; a level the sounding does not give leaves its
// field empty.
std::string LevelsToCsv(const TLapseRates& Set);
// The same text handed to Sink in pieces as it is made, on two cores, a run
// of launches at a time: the whole text is never held.
bool WriteLevelsCsv(const TLapseRates& Set, const TCsvSink& Sink);
