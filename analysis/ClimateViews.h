#pragma once
// What the windows read from a station's climatology: the quantities a user
// can choose (each column of the indices and derived levels, and the
// temperature and dew point at the standard pressures), a launch's value of
// one of them, its place in the day's climatology in words, and the
// temperature anomaly of a time-height section.

#include "analysis/Climatology.h"
#include "analysis/TimeHeightSection.h"

#include <optional>
#include <string>
#include <vector>

namespace sounding {

// A quantity of a launch that has a climatology.
struct TClimateChoice {
    std::string Label;  // "Precipitable water", "Temperature at 850 hPa"
    std::string Unit;   // "mm", "C"
    int Decimals = 1;
    int Column = -1;  // a column of the climatology; -1 for a profile value
    TProfileQuantity Profile = TProfileQuantity::Temperature;
    double Pressure = 0;  // hPa, for a profile value
};

// The standard pressures offered for temperature and dew point (hPa).
const std::vector<double>& StandardPressures();
// Every choice: the listed indices, the listed derived levels, then the
// temperature and the dew point at each standard pressure.
const std::vector<TClimateChoice>& ClimateChoices();

// A launch's value of Choice; for a profile value also the launch's height
// of that pressure (m), where the climatology is looked up. Column values
// are rounded as the CSV files write them (the climatology's own values).
struct TLaunchValue {
    double Value = 0;
    double Height = 0;
};
std::optional<TLaunchValue> LaunchValueOf(const TSounding& Sounding, const TClimateChoice& Choice);

// The climatology of Choice for a group and day; for a profile value at
// Height (m).
TClimateCell ChoiceCell(const TClimatology& Climate, const TClimateChoice& Choice, int Group, int Day, double Height);

// The percentile rank (0..100) of Value in the day's climatology of Choice.
// A column ranks among its values; a profile value is placed between the
// five percentiles kept (linear between them, none outside the 10th and
// 90th: then below 10 or above 90 by a half).
std::optional<double> ChoiceRank(const TClimatology& Climate, const TClimateChoice& Choice, int Group, int Day,
                                 const TLaunchValue& Value);

// "1st", "2nd", "3rd", "11th", "97th".
std::string Ordinal(int N);

// The line in words for a launch: "Precipitable water 41.2 mm on 2016-01-17
// 12Z: 97th percentile for the date (median 24.0 mm, 30 years)"; for a
// profile value the height it was looked up at follows the date. Says why
// when the launch gives no value or the day has too few.
std::string ClimateSentence(const TClimatology& Climate, const TClimateChoice& Choice, const TSounding& Sounding);

// "Climatology of 1986-2015: 30 years, 21,915 launches".
std::string ClimateSpanText(const TClimatology& Climate);

// The temperature section as the departure of each cell from the day's
// median at its height (K), for the group and day of the first launch of
// each column; NaN where the cell has no temperature or the day no median.
TTimeHeightSection AnomalySection(const TTimeHeightSection& Section, const std::vector<TSounding>& Soundings,
                                  const TClimatology& Climate);
// A symmetric scale for an anomaly section: the 98th percentile of the
// departures' sizes rounded up to whole kelvins, at least 2 K.
double AnomalyLimit(const TTimeHeightSection& Anomaly);

}  // namespace sounding
