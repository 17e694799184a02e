#pragma once
// A station's climatology kept beside its record in the download cache:
// "<record>.climate", made from the record the first time it is asked for
// and read back afterwards, until the record changes (another size or
// modification time) or the program counts other columns.

#include "analysis/Climatology.h"
#include "sounding/StationList.h"

#include <optional>
#include <string>

namespace sounding {

// The file the climatology of the record at RecordPath is kept in.
std::string ClimatologyCachePath(const std::string& RecordPath);

struct TStationClimatology {
    std::optional<TClimatology> Climatology;  // nothing when the record could not be read
    bool FromCache = false;                   // read back, not computed
    // Why there is none ("<file>: <reason>"); or, beside a climatology, why
    // it could not be kept ("" when it was).
    std::string Message;
};

// The climatology of the station record at RecordPath (any file the
// station readers read; Elevations as they take it): the kept one when it
// was made from this very record, else computed from it and kept.
TStationClimatology StationClimatology(const std::string& RecordPath, const TElevationOf& Elevations = {},
                                       int Threads = 2);

}  // namespace sounding
