#pragma once
// The soundings of several files as one set, as the window and the exporter
// open them: each file read by the reader its content calls for, the files
// merged into one time line (sounding/DateRange.h narrows it to a range of
// days; sounding/Launch.h reads and writes its text). Also a file name with
// wildcards that names such a set.

#include "sounding/SoundingSources.h"
#include "sounding/StationList.h"

#include <string>
#include <string_view>
#include <vector>

struct TSoundingSet {
    std::vector<TSounding> Soundings;
    // "" when the files read; else "<file>: <reason>" for the first that
    // did not, and Soundings is empty.
    std::string Error;
    // The failing file is none of the formats (the "Bad data file" case).
    bool Unknown = false;
    // No file holds a sounding (none of the formats, or no launch in any).
    bool NoData = false;
    // Launches left out because a line of theirs is damaged, and the
    // warnings of every file, each "<file>: line N: ...".
    std::size_t Skipped = 0;
    std::vector<std::string> Warnings;

    bool Ok() const { return Error.empty(); }
};

// Reads Paths; one file keeps the order of its soundings, several are
// merged (MergeSoundings). Nothing is kept when a file fails to read, or is
// none of the formats while another holds soundings; a file of a known
// format without soundings only adds a warning. When no file holds a
// sounding, Error names the first and NoData is set. A station file's
// launch whose surface has no height and no height below 500 hPa gets the
// station's elevation from Elevations, when given and it knows the station
// (sounding::UseStationElevation).
TSoundingSet ReadSoundingFiles(const std::vector<std::string>& Paths, const TSourceLimits& Limits = {},
                               const sounding::TElevationOf& Elevations = {});

// Whether the first bytes of a file call for the station-file readers: an
// IGRA v2 station file, a Wyoming page, or a .gz or .zip archive. A sounding
// page and any other content do not.
bool IsStationSource(std::string_view FirstBytes);
// The same for a file on disk (its first 64 KiB); false when it cannot be
// read.
bool IsStationFile(const std::string& Path);

// Whether a file name holds a wildcard (* or ?).
bool HasWildcard(std::string_view Name);
// The files in Directory whose names match Pattern (* any run of
// characters, ? one; letters as written), as full paths sorted by name.
std::vector<std::string> MatchingFiles(const std::string& Directory, const std::string& Pattern);
