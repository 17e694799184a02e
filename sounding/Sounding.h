#pragma once
// One balloon launch: its levels and its label, and how a sounding draws one
// of its quantities into a chart series.

#include "sounding/Launch.h"
#include "sounding/PlotSeries.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

// Marks a number the page did not give.
inline constexpr float MissingValue = -9999.0f;

// One level of a sounding, in the order of the page's columns.
struct TSoundingLevel {
    float Pressure = MissingValue;       // in the page's unit
    float Height = MissingValue;         // m
    float Temperature = MissingValue;    // degrees C
    float DewPointDiff = MissingValue;   // degrees the dew point lies below the temperature
    float WindDirection = MissingValue;  // degrees
    float WindSpeed = MissingValue;      // m/s
    // The height the level is drawn and reckoned at: the reported Height
    // where the file gives one, else one computed from the levels around it
    // (ComputeHeights in sounding/Heights.h); missing when neither can be had.
    // (A lowest reported height that the levels above plainly contradict is
    // computed too.)
    // Outputs that repeat the file (the CSV) keep writing Height.
    float Altitude = MissingValue;  // m
};

class TSounding {
public:
    // Row order of the page table, except for the move FixSurface makes.
    std::vector<TSoundingLevel> Levels;
    // The launch's label, shown while the sounding is current.
    std::string Title;
    // The index in Levels of the level the file marks as the surface (an
    // IGRA level typed as surface, the first row of a Wyoming block); -1
    // when the file marks none (a sounding page: its first level serves).
    int Surface = -1;
    sounding::TLaunchKey Launch;
    // The height (whole m) a Wyoming page gives 1000 hPa when that level
    // lies below the ground (a row with a height but no temperature, at a
    // high station): no level of the sounding, but the 1000-500 hPa
    // thickness starts there. kNoHeight when the page gives none.
    static constexpr std::int16_t kNoHeight = INT16_MIN;
    std::int16_t Height1000BelowGround = kNoHeight;

    void Clear();
    void AddLevel(float Pressure, float Height, float Temperature, float DewPointDiff, float WindDirection,
                  float WindSpeed);
    // Adds a level read from a data file, every reader's rule: a value
    // outside physical ranges (height -1,000..100,000 m, pressure 0..1,100
    // hPa, temperature -150..+80 C, dew point depression 0..100 C, wind
    // direction 0..360 deg, wind speed 0..200 m/s), NaN or infinite is
    // missing, and a level without a temperature is no level.
    // True when the level was kept.
    bool AddReadLevel(const TSoundingLevel& Level);
    // Gives the first level (the surface) a height when the page has none,
    // from the nearest levels around its pressure, and moves it into place.
    void FixSurface();
    // Temperature (X) against height (Y, LevelHeight: reported or computed),
    // in level order. Levels without a height are left out: drawn at -9999 m
    // they would spike the profile.
    void PlotTemperature(TPlotSeries& Series) const;
};

// The extra profiles: a level is drawn only when its value is >= 0 and it has
// a height, as in the temperature profile; the wind direction is drawn divided by 10.
void PlotDewPointDiff(const TSounding& Sounding, TPlotSeries& Series);
void PlotWindDirection(const TSounding& Sounding, TPlotSeries& Series);
void PlotWindSpeed(const TSounding& Sounding, TPlotSeries& Series);
