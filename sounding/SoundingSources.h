#pragma once
// Reading soundings from any of the files people download: a sounding page,
// an IGRA version 2 station file (plain, .gz or a .zip with one member) or a
// University of Wyoming TEXT:LIST page. The format is told by the content,
// never by the file name. Also: merging the soundings of several files into
// one time line, and narrowing a set to a range of dates.

#include "sounding/Archive.h"
#include "sounding/Sounding.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TSourceFormat : std::uint8_t { Unknown, Page, Igra, Wyoming };

// "page", "IGRA v2", "Wyoming" or "unknown".
const char* SourceFormatName(TSourceFormat Format);

struct TSourceResult {
    std::vector<TSounding> Soundings;
    TSourceFormat Format = TSourceFormat::Unknown;
    bool Compressed = false;  // it came out of a .gz or .zip
    // "" when the file read; else why it could not, and Soundings holds what
    // could be read.
    std::string Error;
    // The file holds no sounding data: none of the formats, or no launch.
    bool NoData = false;
    // Launches left out because a line of theirs is damaged, and why
    // ("line N: launch ... skipped: ..."); also other things worth telling,
    // such as bytes after the end of a compressed stream.
    std::size_t Skipped = 0;
    std::vector<std::string> Warnings;

    bool Ok() const { return Error.empty(); }
};

// The text of a file that is none of the formats.
inline constexpr char kBadDataFile[] = "Bad data file";

// How many of a text's first bytes tell its format.
inline constexpr std::size_t kFormatBytes = std::size_t(64) << 10;

// The format the first bytes of an uncompressed text show.
TSourceFormat SourceFormatOf(std::string_view FirstBytes);

// Reads the bytes of one file. Never throws for bad data.
TSourceResult ReadSoundingSource(std::string_view Bytes, const TSourceLimits& Limits = {});
// Reads a text held whole into Result, handing back the memory of what it
// has read; a large IGRA text (32 MiB or more) is read in two halves, the
// second on a thread of its own. An exception of either half (memory running
// out, the text's own) is thrown on to the caller.
void ReadSoundingText(TWholeText& Whole, TSourceResult& Result);
// Reads a file from disk; the text is read piece by piece and each piece's
// memory handed back once read, so only the soundings stay in memory. A
// large IGRA station text is read on two threads, each taking one half.
TSourceResult ReadSoundingFile(const std::string& Path, const TSourceLimits& Limits = {});

// Text fed piece by piece (a file, an inflating archive): the format is told
// from the first 64 KiB, then every piece goes on to its reader.
class TSourceParser {
public:
    TSourceParser();
    ~TSourceParser();
    TSourceParser(const TSourceParser&) = delete;
    TSourceParser& operator=(const TSourceParser&) = delete;

    void Feed(std::string_view Piece);
    // Makes room for as many launches (the text's expected count).
    void Reserve(std::size_t Launches);
    // The lines of a station file read so far.
    std::uint64_t LinesRead() const;
    // Ends the text; the soundings and the format go into Result, and an
    // error is set only when Result has none yet.
    void Finish(TSourceResult& Result);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// The soundings of several files as one time line: ordered by date, nominal
// hour (99 last in its day) and release time (a stable order, so equal
// times keep the files' order), the same launch kept once (the first met):
// the same full station id, date, nominal hour and release time (an unknown
// release matches any). A five-digit WMO number (Wyoming pages, sounding
// pages) stands for the IGRA id of the WMO network that ends in it.
// Soundings without a known launch come last, in their order, all kept, as
// are launches without a station.
std::vector<TSounding> MergeSoundings(std::vector<std::vector<TSounding>> Sets);

// The soundings launched From .. To, both "YYYY-MM-DD" and inclusive; an
// empty bound is open. Soundings without a known launch are left out when a
// bound is given.
std::vector<TSounding> FilterByDate(std::vector<TSounding> Soundings, std::string_view From, std::string_view To);
