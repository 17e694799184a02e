#pragma once
// The temperature of a whole page as a time-height grid: one column per
// launch time (or per run of launch times when there are more than columns
// to show), one row per height from 0 to a maximum. When every sounding has
// a known launch (sounding/Launch.h) and they come in order, the columns
// follow the clock, one per usual interval between launches, so a missing launch leaves
// an empty column; otherwise there is one column per sounding. A cell holds a
// temperature only where a sounding has levels on both sides of its height
// no more than a gap limit apart; everything else stays NaN. Nothing is
// interpolated from one sounding to the next. Levels take part at the
// height they are drawn at (LevelHeight: reported, else computed).

#include "sounding/Sounding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TSectionSize {
    // More launch times (or soundings) than this are shown in runs, one
    // column each, averaging up to 8 soundings spread evenly over the run.
    int MaxColumns = 800;
    int Rows = 400;            // heights 0 .. HeightMax, both included
    double HeightMax = 20000;  // m
    double MaxGap = 3000;      // m: levels further apart leave the cells between them empty
};

class TTimeHeightSection {
public:
    int Columns = 0;
    int Rows = 0;
    double HeightMax = 0;
    // Column-major: Cells[Column * Rows + Row]; NaN = no value.
    std::vector<float> Cells;
    // Column C shows the soundings FirstSounding[C] .. FirstSounding[C + 1] - 1
    // (none when the two are equal); the list ends with the number of soundings.
    std::vector<int> FirstSounding;
    // Per column, averaged over the (sampled) soundings of the column that have one;
    // NaN = none of them has.
    // The freezing level of a sounding whose surface lies below 0 C is its
    // surface: the ground is already frozen.
    std::vector<float> FreezingLevel;
    std::vector<float> TropopauseHeight;
    // The lowest level of the profile (the ground under the balloon).
    std::vector<float> SurfaceHeight;
    // When the columns follow the clock: column C starts at hour
    // FirstHour + C * HoursPerColumn (hours since 1970-01-01 00Z); 0 hours
    // per column when they do not.
    std::int64_t FirstHour = 0;
    double HoursPerColumn = 0;
    // The title of the first sounding of each column; for a column without a
    // launch, the "YYYY-MM-DD HHZ" of its time.
    std::vector<std::string> Titles;
    // The launch of the first sounding of each column; not known for a
    // column without a launch.
    std::vector<sounding::TLaunchKey> Launches;

    float Cell(int Column, int Row) const { return Cells[std::size_t(Column) * Rows + Row]; }
    // The height of a row's centre.
    double RowHeight(int Row) const { return Rows > 1 ? HeightMax * Row / (Rows - 1) : 0; }
    // The row nearest to a height, clamped into the grid.
    int RowOf(double Height) const;
    // The column that shows a sounding; -1 when it is out of range.
    int ColumnOf(int Sounding) const;
    // The first sounding a column shows; -1 for a column without a launch
    // and for a column out of range.
    int SoundingOf(int Column) const;
    int SoundingCount() const { return FirstSounding.empty() ? 0 : FirstSounding.back(); }
    // The launch a column shows first; not known for a column without a
    // launch and for one out of range.
    sounding::TLaunchKey LaunchOf(int Column) const
    {
        return Column >= 0 && std::size_t(Column) < Launches.size() ? Launches[std::size_t(Column)]
                                                                    : sounding::TLaunchKey();
    }

    // "title, height m, temperature C" for a point of the grid, with "no data"
    // for an empty cell; "" outside the grid.
    std::string Readout(int Column, double Height) const;
};

// "<station>, <first date> to <last date>" for the launches of a section,
// with Name standing for the station when the titles carry none before their
// date; Name alone when no column has a launch time.
std::string SectionHeading(const TTimeHeightSection& Section, const std::string& Name);

TTimeHeightSection BuildSection(const std::vector<TSounding>& Soundings, const TSectionSize& Size);
