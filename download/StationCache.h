#pragma once
// Where the station files live once downloaded: the cache folder
// ($XDG_CACHE_HOME/profilora/igra/, by default ~/.cache/profilora/igra/),
// one file per station and period under the archive's own file name, each
// with a small ".meta" file beside it (the server's ETag and Last-Modified
// and the day it was fetched); the archive's addresses below the base
// address of the settings.

#include "components/ProgramSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace download {

// The archive's address as NOAA NCEI serves it (the settings' default).
inline constexpr const char* kDefaultIgraBase = settings::kDefaultIgraBase;

enum class TPeriod { WholeRecord, ThisYear };

// "whole record" or "this year", as messages name them.
const char* PeriodText(TPeriod Period);
// "por" / "y2d" and back (nothing for another word).
const char* PeriodSwitch(TPeriod Period);
std::optional<TPeriod> PeriodOfSwitch(const std::string& Word);

// An IGRA v2 station id: 11 letters and digits (upper case).
bool IsStationId(const std::string& Id);

// The cache folder with its trailing "/": $XDG_CACHE_HOME/profilora/igra/
// when XDG_CACHE_HOME is an absolute path, else $HOME/.cache/profilora/igra/
// (HOME, else the home folder the password database gives the user); ""
// when there is no home folder either.
std::string CacheDirectory();
// The same, false with the reason when there is none.
bool FindCacheDirectory(std::string& Directory, std::string& Error);
// Creates it (and its parents); false with the reason otherwise.
bool MakeDirectory(const std::string& Directory, std::string& Error);

// File names: "<ID>-data.txt.zip" and "<ID>-data-beg<YEAR>.txt.zip".
std::string StationFileName(const std::string& Id, TPeriod Period, int Year);
// The address of a station file, of the folder of this year's files and of
// the station list below Base (with or without its trailing "/").
std::string StationFileUrl(const std::string& Base, const std::string& Id, TPeriod Period, int Year);
std::string ThisYearFolderUrl(const std::string& Base);
std::string StationListUrl(const std::string& Base);
inline constexpr char kStationListName[] = "igra2-station-list.txt";

// The years of the files "<ID>-data-beg<YEAR>.txt.zip" a folder listing (a
// web page or plain names) holds, newest first.
std::vector<int> ThisYearFilesIn(const std::string& Listing, const std::string& Id);
// The this-year file of Id in the cache with the newest year, or nothing.
std::optional<int> CachedThisYear(const std::string& Directory, const std::string& Id);

struct TCachedCopy {
    std::string ETag;
    std::string LastModified;
    std::string Fetched;  // "YYYY-MM-DD", the day it was downloaded (or its file's date)
};
// The validators of the copy at Path; nothing when there is no copy (a
// regular file by that very name: a link or a FIFO there is none).
std::optional<TCachedCopy> ReadCachedCopy(const std::string& Path);
// Writes the ".meta" file beside Path (through the file-writing helper, the
// name itself replaced); when it cannot, the old one is removed, so no
// validators of another copy stay beside Path.
bool WriteCachedCopy(const std::string& Path, const TCachedCopy& Copy, std::string& Error);

// Whether the bytes of a downloaded station file read as the reader reads
// them: a zip archive of one member that inflates within the limits to an
// IGRA v2 text whose launches are all of station Id. "" when they do, else
// what is wrong, in words without a final period.
std::string CheckStationBytes(std::string_view Bytes, const std::string& Id);
// The same for the file at Path (a regular file by that very name, opened
// without following a link and without waiting on a FIFO).
std::string CheckStationCopy(const std::string& Path, const std::string& Id);
// Whether the file at Path reads as an IGRA station list.
std::string CheckStationListCopy(const std::string& Path);

// Removes the station files, the downloaded list, their ".meta" files, the
// climatologies kept beside the station files (".climate") and leftover
// temporary files from Directory; false with the first failure.
bool ClearCache(const std::string& Directory, std::string& Error);

// Today's date (UTC), "YYYY-MM-DD", and this year.
std::string TodayText();
int ThisYear();

}  // namespace download
