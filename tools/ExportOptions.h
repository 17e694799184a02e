#pragma once
// The command line of profilora-export: the input files and the outputs
// wanted from them. Each output format is one switch; a new format is one more entry
// in the switch table and one more writer. The picture outputs (PNG frames,
// GIF movie) share the options that say what the chart shows.

#include "sounding/FrameChoice.h"

#include <string>
#include <vector>

enum class ExportFormat { Csv, Png, Gif, Section, Levels, Indices, Climatology };
// What --png and --gif draw: the altitude chart, the skew-T diagram or the
// hodograph alone.
enum class ExportView { Altitude, SkewT, Hodograph };

struct ExportTarget {
    ExportFormat Format = ExportFormat::Csv;
    // CSV, levels, indices: empty = standard output; PNG: a directory; GIF, section: a
    // file ("/dev/stdout" for standard output).
    std::string Path;
};

// Limits of the picture options.
inline constexpr int MinFrameSide = 16;
inline constexpr int MaxFrameSide = 4096;

struct ExportOptions {
    std::string PagePath;             // the first input
    std::vector<std::string> Inputs;  // every input, in the order given
    // Only the soundings launched FromDate .. ToDate ("YYYY-MM-DD", empty =
    // open); --from/--to count frames after this.
    std::string FromDate;
    std::string ToDate;
    std::vector<ExportTarget> Targets;
    bool Help = false;
    // A launch skipped for a damaged line fails the whole export.
    bool Strict = false;
    // Stations of the IGRA archive, downloaded into the cache (or taken
    // from it) and read after the files: ids, the period ("por" or "y2d")
    // and whether to stay off the network.
    std::vector<std::string> Stations;
    std::string Period;  // empty: "y2d"
    bool Offline = false;
    // Empty the download cache first (alone: nothing else to do).
    bool ClearCache = false;
    // --section draws the anomaly from the station's climatology.
    bool Anomaly = false;
    // --climatology made from this file or IGRA station (id or name)
    // instead of the inputs; empty: from the inputs.
    std::string ClimatologyFrom;

    // Pictures only.
    std::string SettingsPath;  // empty: the built-in settings
    TSeriesChoice Series;      // nothing but the temperature profile unless --series says more
    int Width = Chart1Width;
    int Height = Chart1Height;
    int From = -1;                           // -1: the first frame
    int To = -1;                             // -1: the last frame
    int Ms = 0;                              // 0: "ms_per_frame" of the settings
    ExportView View = ExportView::Altitude;  // the skew-T's and hodograph's sizes are their own unless --size says

    bool WantsPictures() const;
    // Every output is a --climatology made from ClimatologyFrom: no input
    // is needed.
    bool ClimatologyOnly() const;
};

// Fills Options from the arguments (without the program name). The result is
// empty when the arguments are usable, else a one-line description of what is
// wrong with them.
std::string ParseExportArguments(const std::vector<std::string>& Args, ExportOptions& Options);

// Reads a --series list ("standard,dalr,dewpoint") into Choice; the result is
// empty, or what is wrong with the list.
std::string ParseSeriesList(const std::string& List, TSeriesChoice& Choice);

// The help text.
std::string ExportUsage();
