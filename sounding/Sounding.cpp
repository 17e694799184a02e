#include "sounding/Sounding.h"

#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>
#include <limits>

void TSounding::Clear() { Levels = {}; }

void TSounding::AddLevel(float Pressure, float Height, float Temperature, float DewPointDiff, float WindDirection,
                         float WindSpeed)
{
    Levels.push_back({Pressure, Height, Temperature, DewPointDiff, WindDirection, WindSpeed});
}

namespace {

// A value outside what the atmosphere can hold (or NaN, or an infinity) is
// missing: a height of 1e30 m is a damaged number, not a level.
float Physical(float Value, float Min, float Max) { return Value >= Min && Value <= Max ? Value : MissingValue; }

}  // namespace

bool TSounding::AddReadLevel(const TSoundingLevel& Level)
{
    TSoundingLevel level = Level;
    level.Temperature = Physical(Level.Temperature, -150, 80);
    if (level.Temperature == MissingValue) return false;
    level.Pressure = Level.Pressure > 0 && Level.Pressure <= 1100 ? Level.Pressure : MissingValue;
    level.Height = Physical(Level.Height, -1000, 100000);
    level.DewPointDiff = Physical(Level.DewPointDiff, 0, 100);
    level.WindDirection = Physical(Level.WindDirection, 0, 360);
    level.WindSpeed = Physical(Level.WindSpeed, 0, 200);
    Levels.push_back(level);
    return true;
}

namespace {

bool HasHeight(const TSoundingLevel& Level) { return Level.Height != MissingValue; }

bool FitsSingle(double Value)
{
    return std::isfinite(Value) && std::fabs(Value) <= double(std::numeric_limits<float>::max());
}

}  // namespace

void TSounding::FixSurface()
{
    // Each pass gives the first level a height and moves it into place. When
    // the second level had no height either, the first reference had to be
    // searched for further down, and after the move that level is first: it
    // gets its own pass. Every pass fixes one level, so the loop ends.
    for (;;) {
        const std::size_t n = Levels.size();
        if (n < 2 || HasHeight(Levels[0])) return;
        const float p0 = Levels[0].Pressure;
        // Without a surface pressure there is nothing to reckon from.
        if (!(p0 > 0)) return;

        std::size_t q = 1;
        std::size_t r = n - 1;
        bool again = false;
        if (!HasHeight(Levels[q])) {
            std::size_t found = 0;
            for (std::size_t i = 2; i + 4 <= n; ++i) {
                if (HasHeight(Levels[i])) {
                    found = i;
                    break;
                }
            }
            if (found == 0) return;
            q = found;
            again = true;
        }

        // q: the closest level below the surface, r: the closest above it.
        // Levels without a height cannot serve as references: interpolating
        // with their -9999 would put the surface kilometres underground.
        std::size_t newIndex = 1;
        for (std::size_t i = 1; i < n; ++i) {
            if (!HasHeight(Levels[i])) continue;
            const float c = Levels[i].Pressure;
            if (c > p0 && c < Levels[q].Pressure) {
                q = i;
                newIndex = i;
            }
            if (c < p0 && c > Levels[r].Pressure) r = i;
        }
        // The last level may have no height and nothing closer replaced it:
        // extrapolate from q alone.
        if (!HasHeight(Levels[r])) r = q;

        const TSoundingLevel& lq = Levels[q];
        const TSoundingLevel& lr = Levels[r];
        if (!(lq.Pressure > 0) || !(lr.Pressure > 0)) return;
        double term;
        if (lr.Pressure == lq.Pressure) {
            // 5600 m per halving of the pressure.
            term = 5600.0 * std::log10(double(lq.Pressure) / double(p0)) / std::log10(2.0);
        } else {
            term = (double(p0) - double(lq.Pressure)) * (double(lr.Height) - double(lq.Height)) /
                   (double(lr.Pressure) - double(lq.Pressure));
        }
        if (!FitsSingle(term)) return;
        const double height = std::nearbyint(double(lq.Height) + double(float(term)));  // ties to even
        if (!FitsSingle(height)) return;

        Levels[0].Height = float(height);
        std::rotate(Levels.begin(), Levels.begin() + 1, Levels.begin() + std::ptrdiff_t(newIndex) + 1);
        if (!again) return;
    }
}

void TSounding::PlotTemperature(TPlotSeries& Series) const
{
    Series.Clear();
    Series.SetXOrderNone();
    for (const TSoundingLevel& level : Levels)
        if (const float z = sounding::LevelHeight(level); z != MissingValue) Series.AddXY(level.Temperature, z);
}

namespace {

template <typename Value>
void PlotExtra(const TSounding& Sounding, TPlotSeries& Series, Value value)
{
    Series.Clear();
    Series.SetXOrderNone();
    for (const TSoundingLevel& level : Sounding.Levels) {
        const float x = value(level);
        const float z = sounding::LevelHeight(level);
        if (x >= 0 && z != MissingValue) Series.AddXY(x, z);
    }
}

}  // namespace

void PlotDewPointDiff(const TSounding& Sounding, TPlotSeries& Series)
{
    PlotExtra(Sounding, Series, [](const TSoundingLevel& l) { return l.DewPointDiff; });
}

void PlotWindDirection(const TSounding& Sounding, TPlotSeries& Series)
{
    Series.Clear();
    Series.SetXOrderNone();
    for (const TSoundingLevel& level : Sounding.Levels)
        if (const float z = sounding::LevelHeight(level); level.WindDirection >= 0 && z != MissingValue)
            Series.AddXY(double(level.WindDirection) / 10.0, z);
}

void PlotWindSpeed(const TSounding& Sounding, TPlotSeries& Series)
{
    PlotExtra(Sounding, Series, [](const TSoundingLevel& l) { return l.WindSpeed; });
}
