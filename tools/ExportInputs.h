#pragma once
// The exporter's inputs besides one sounding page: IGRA v2 station files,
// Wyoming pages, archives and several files merged into one time line; and
// the range of launch dates every output is narrowed to.

#include "tools/ExportOptions.h"

class TLapseRates;

// Whether the inputs go to the station-file readers: several files, or one
// whose content is a station file, a Wyoming page or an archive.
bool ReadsAsStationInputs(const ExportOptions& Options);

// Reads every input into Set (one file in its order, several merged). A file
// that cannot be read, or none of the formats, throws Exception naming it;
// Set is then left as it was.
void ReadStationInputs(const ExportOptions& Options, TLapseRates& Set);

// Keeps only the soundings launched between the options' dates; false when
// dates were given and none is left.
bool ApplyDateOptions(const ExportOptions& Options, TLapseRates& Set);
