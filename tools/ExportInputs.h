#pragma once
// The exporter's inputs besides one sounding page: IGRA v2 station files,
// Wyoming pages, archives and several files merged into one time line; and
// the range of launch dates every output is narrowed to.

#include "analysis/Climatology.h"
#include "sounding/SoundingSet.h"
#include "tools/ExportOptions.h"

#include <optional>
#include <ostream>

class TLapseRates;

// Brings every --station into the cache (or finds it there with --offline)
// and adds the copies to the inputs; progress goes to Err when it is a
// terminal. False, with the message on Err, when one cannot be had.
bool FetchStationInputs(ExportOptions& Options, std::ostream& Err, bool Terminal);

// Whether the inputs go to the station-file readers: several files, or one
// whose content is a station file, a Wyoming page or an archive.
bool ReadsAsStationInputs(const ExportOptions& Options);

// Reads every input into Set (one file in its order, several merged). The
// result tells what failed (Set is then left as it was), whether no input
// holds a sounding, and the launches skipped.
TSoundingSet ReadStationInputs(const ExportOptions& Options, TLapseRates& Set);

// Keeps only the soundings launched between the options' dates; false when
// dates were given and none is left.
bool ApplyDateOptions(const ExportOptions& Options, TLapseRates& Set);

// Whether --climatology-from names a file (else a station).
bool ClimatologyFromFile(const ExportOptions& Options);

// The climatology --climatology-from names: of a file, read as the inputs
// are; or of the whole record of an IGRA station (its id, or a name the
// station list knows), brought into the cache (or found there with
// --offline), the climatology kept beside it. Nothing, told on Err, when it
// cannot be had.
std::optional<sounding::TClimatology> ClimatologyOfOption(const ExportOptions& Options, std::ostream& Err,
                                                          bool Terminal);
