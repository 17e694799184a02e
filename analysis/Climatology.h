#pragma once
// A station's climatology: how the launches of its whole record spread, per
// launch group, day of the year and height (temperature, dew point) or per
// column of the indices and derived levels.
//
// - Launch groups: 0 for nominal hours 18-23 and 00-05, 12 for 06-17; a
//   launch without a nominal hour (99) goes by the hour of its release
//   time, and is left out when that is missing too.
// - Day of the year 1..365 of a year without Feb 29 (Feb 29 is day 59, as
//   Feb 28). Day d draws on every launch whose day lies within 15 days of d,
//   counted around the year's end (31 days in all).
// - Temperature and dew point (temperature minus depression) at 0, 250, ...
//   20000 m above sea level, at the heights every view uses (LevelHeight):
//   linear in height between the nearest levels below and above that have
//   the value, never below the lowest or above the highest of them, nor
//   across a gap of more than 3000 m. Levels below the surface level the
//   file marks take no part; of two levels at one height that have the
//   value, the one of higher pressure counts.
// - The columns of --indices (IndexQuantities()) and then of --levels
//   (LevelQuantities()), in table order, each launch's own value as the CSV
//   writers give it (rounded to the column's decimals); a launch without the
//   value does not count.
// - Per cell: the count, and the 10th, 25th, 50th, 75th and 90th
//   percentiles, linear between closest ranks (position (n - 1) p of the
//   sorted values); none when fewer than 20 values.

#include "sounding/Sounding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sounding {

inline constexpr int kClimateDays = 365;
inline constexpr int kClimateHalfWindow = 15;  // days on either side
inline constexpr int kClimateHeights = 81;     // 0 .. 20000 m
inline constexpr double kClimateHeightStep = 250;
inline constexpr double kClimateMaxGap = 3000;  // m
inline constexpr int kClimateMinCount = 20;
inline constexpr int kClimateGroups = 2;  // 0 and 12
inline constexpr std::array<double, 5> kClimatePercentiles = {0.10, 0.25, 0.50, 0.75, 0.90};

// 0 or 12, the group of a launch; -1 when it has none.
int LaunchGroup(const TLaunchKey& Launch);
// The day of the year 1..365 of a date (Feb 29 is 59); 0 for no date.
int ClimateDay(int Month, int Day);
inline int ClimateDay(const TLaunchKey& Launch) { return Launch.Known() ? ClimateDay(Launch.Month, Launch.Day) : 0; }
// Days between two days of the year, around the year's end (0..182).
int ClimateDayDistance(int A, int B);
// The height of row Index (0..80) in m.
inline double ClimateHeight(int Index) { return Index * kClimateHeightStep; }

// The p-quantile (0..1) of ascending Sorted: linear between the values at
// floor and ceil of (n - 1) p. Sorted must not be empty.
double Percentile(const float* Sorted, std::size_t Count, double P);

// One cell: the count and, with at least kClimateMinCount values, the five
// percentiles (P[0] the 10th .. P[4] the 90th); NaN otherwise.
struct TClimateCell {
    std::int32_t Count = 0;
    std::array<double, 5> P{};

    bool Valid() const { return Count >= kClimateMinCount; }
    double P10() const { return P[0]; }
    double P25() const { return P[1]; }
    double Median() const { return P[2]; }
    double P75() const { return P[3]; }
    double P90() const { return P[4]; }
};

enum class TProfileQuantity : std::uint8_t { Temperature = 0, DewPoint = 1 };

// The per-launch columns: the index columns, then the level columns.
int ClimateColumnCount();
// "cape", "freezing_level", ...; "" out of range.
std::string ClimateColumnName(int Column);
// The column of a name; -1 for none.
int ClimateColumnOf(std::string_view Name);
// Decimals of the column in the CSV files (the rounding of its values).
int ClimateColumnDecimals(int Column);

class TClimatology {
public:
    // The launches with a group and a date, and the years they lie in.
    int Launches() const { return launches_; }
    int FirstYear() const { return firstYear_; }
    int LastYear() const { return lastYear_; }
    // Distinct years with a launch.
    int Years() const { return years_; }
    bool Empty() const { return launches_ == 0; }
    // Launches of a group (0 or 12); 0 for another number.
    int GroupLaunches(int Group) const;

    // A profile cell: Group 0 or 12, Day 1..365, Height index 0..80; an
    // empty cell out of range.
    TClimateCell Profile(int Group, TProfileQuantity Quantity, int Day, int HeightIndex) const;
    // The temperature (dew point) percentiles at any height of 0..20000 m,
    // linear between the two rows around it; invalid unless both are valid
    // (Count then the smaller of the two).
    TClimateCell ProfileAt(int Group, TProfileQuantity Quantity, int Day, double Height) const;
    TClimateCell TemperatureAt(int Group, int Day, double Height) const
    {
        return ProfileAt(Group, TProfileQuantity::Temperature, Day, Height);
    }
    // A column cell (Column 0 .. ClimateColumnCount() - 1).
    TClimateCell Column(int Group, int Column, int Day) const;
    // The percentile rank of Value among the values of the cell:
    // 100 (below + equal / 2) / count, with below the values less than Value
    // and equal those equal to it. None when the cell holds fewer than
    // kClimateMinCount values.
    std::optional<double> Rank(int Group, int Column, int Day, double Value) const;

    // The file form (binary, this build's byte order) and back; nothing
    // for bytes that are not one.
    std::string Serialize() const;
    static std::optional<TClimatology> Deserialize(std::string_view Bytes);

    // Bytes held.
    std::size_t MemoryBytes() const;

private:
    friend class TClimatologyBuilder;

    int launches_ = 0, firstYear_ = 0, lastYear_ = 0, years_ = 0;
    std::array<int, kClimateGroups> groupLaunches_{};
    int columns_ = 0;
    // [((g * 2 + q) * 365 + d - 1) * 81 + h]
    std::vector<TClimateCell> profile_;
    // [(g * columns_ + c) * 365 + d - 1]
    std::vector<TClimateCell> column_;
    // The values of each (group, column), day after day, ascending within a
    // day: day d of (g, c) is values_[dayStart_[k + d - 1] .. dayStart_[k + d]),
    // k = (g * columns_ + c) * 366.
    std::vector<float> values_;
    std::vector<std::uint32_t> dayStart_;
};

// The climatology of Soundings (one station's record). Work is spread over
// Threads threads (1 or more).
TClimatology BuildClimatology(const std::vector<TSounding>& Soundings, int Threads = 2);

// A launch's temperature (dew point) at the climatology's 81 heights; NaN
// where it has none. Exposed for the views and the tests.
void ProfileValues(const TSounding& Sounding, TProfileQuantity Quantity, float* Out81);

}  // namespace sounding
