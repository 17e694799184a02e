#include "sounding/DerivedLevels.h"

#include <algorithm>
#include <cmath>

namespace {

bool Known(float V) { return V != MissingValue && std::isfinite(V); }

bool ByHeight(const TProfilePoint& A, const TProfilePoint& B) { return A.Height < B.Height; }

// Sorts by height (only when needed: pages list their levels upwards) and
// keeps the first of several levels at one height, so no layer is zero thick.
void SortAndDeduplicate(std::vector<TProfilePoint>& Points)
{
    if (!std::is_sorted(Points.begin(), Points.end(), ByHeight))
        std::stable_sort(Points.begin(), Points.end(), ByHeight);
    Points.erase(std::unique(Points.begin(), Points.end(),
                             [](const TProfilePoint& A, const TProfilePoint& B) { return A.Height == B.Height; }),
                 Points.end());
}

// Degrees C lost per km from A up to B (B higher than A).
double LapseRate(const TProfilePoint& A, const TProfilePoint& B)
{
    return (double(A.Temperature) - B.Temperature) * 1000.0 / (double(B.Height) - A.Height);
}

constexpr double TropopauseLapseRate = 2.0;  // C/km
constexpr double TropopauseDepth = 2000.0;   // m
constexpr double TropopauseFloor = 500.0;    // hPa

}  // namespace

void TemperatureProfile(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer)
{
    Buffer.clear();
    for (const TSoundingLevel& L : Sounding.Levels)
        if (Known(L.Height) && Known(L.Temperature)) Buffer.push_back({L.Height, L.Temperature});
    SortAndDeduplicate(Buffer);
}

std::optional<float> Height500hPa(const TSounding& Sounding)
{
    // Pressure stands in the Temperature field here: the same sorting serves.
    std::vector<TProfilePoint> Points;
    for (const TSoundingLevel& L : Sounding.Levels)
        if (Known(L.Height) && Known(L.Pressure) && L.Pressure > 0) Points.push_back({L.Height, L.Pressure});
    SortAndDeduplicate(Points);
    for (std::size_t I = 0; I < Points.size(); ++I) {
        if (Points[I].Temperature >= TropopauseFloor) continue;
        if (I == 0) return Points[0].Height;
        const TProfilePoint& Below = Points[I - 1];
        const TProfilePoint& Above = Points[I];
        const double F = std::log(Below.Temperature / TropopauseFloor) / std::log(double(Below.Temperature) / Above.Temperature);
        return float(Below.Height + F * (double(Above.Height) - Below.Height));
    }
    return std::nullopt;
}

std::optional<float> FreezingLevel(const std::vector<TProfilePoint>& Profile)
{
    if (Profile.empty()) return std::nullopt;
    if (Profile[0].Temperature == 0) return Profile[0].Height;
    const bool WarmBelow = Profile[0].Temperature > 0;
    for (std::size_t I = 1; I < Profile.size(); ++I) {
        const TProfilePoint& A = Profile[I - 1];
        const TProfilePoint& B = Profile[I];
        if (B.Temperature == 0) return B.Height;
        if ((B.Temperature > 0) == WarmBelow) continue;
        const double F = double(A.Temperature) / (double(A.Temperature) - B.Temperature);
        return float(A.Height + F * (double(B.Height) - A.Height));
    }
    return std::nullopt;
}

std::optional<TTropopause> LapseRateTropopause(const std::vector<TProfilePoint>& Profile, float Floor)
{
    const std::size_t N = Profile.size();
    for (std::size_t I = 0; I + 1 < N; ++I) {
        const TProfilePoint& P = Profile[I];
        if (P.Height <= Floor) continue;
        // Without data 2 km above it no level can be confirmed, this one nor
        // any higher one.
        if (double(Profile[N - 1].Height) < P.Height + TropopauseDepth) return std::nullopt;
        if (LapseRate(P, Profile[I + 1]) > TropopauseLapseRate) continue;
        bool Holds = true;
        for (std::size_t J = I + 2; J < N && Profile[J].Height <= P.Height + TropopauseDepth; ++J)
            if (LapseRate(P, Profile[J]) > TropopauseLapseRate) {
                Holds = false;
                break;
            }
        if (Holds) return TTropopause{P.Height, P.Temperature};
    }
    return std::nullopt;
}

std::optional<TInversion> LowestInversion(const std::vector<TProfilePoint>& Profile)
{
    const std::size_t N = Profile.size();
    for (std::size_t I = 0; I + 1 < N; ++I) {
        if (Profile[I + 1].Temperature <= Profile[I].Temperature) continue;
        std::size_t Top = I + 1;
        while (Top + 1 < N && Profile[Top + 1].Temperature > Profile[Top].Temperature) ++Top;
        return TInversion{Profile[I].Height, Profile[Top].Height, Profile[Top].Temperature - Profile[I].Temperature};
    }
    return std::nullopt;
}

TDerivedLevels DeriveLevels(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer)
{
    TemperatureProfile(Sounding, Buffer);
    TDerivedLevels Out;
    if (Buffer.empty()) return Out;
    Out.SurfaceHeight = Buffer[0].Height;
    Out.SurfaceBelowFreezing = Buffer[0].Temperature < 0;
    Out.FreezingLevel = FreezingLevel(Buffer);
    if (const std::optional<float> Floor = Height500hPa(Sounding)) Out.Tropopause = LapseRateTropopause(Buffer, *Floor);
    Out.Inversion = LowestInversion(Buffer);
    return Out;
}

TDerivedLevels DeriveLevels(const TSounding& Sounding)
{
    std::vector<TProfilePoint> Buffer;
    return DeriveLevels(Sounding, Buffer);
}
